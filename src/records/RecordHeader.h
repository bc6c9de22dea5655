#pragma once

#include <QStringList>
#include <QWidget>

namespace melvanta {

// The column titles above the record list, each painted where its field
// begins in the list's rows.
class RecordHeader : public QWidget
{
public:
    explicit RecordHeader(QWidget* parent = nullptr);

    // `offsets`: where each title begins, in pixels from the left edge.
    void setColumns(const QStringList& titles, const QList<int>& offsets);
    const QStringList& titles() const { return m_titles; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QStringList m_titles;
    QList<int> m_offsets;
};

} // namespace melvanta
