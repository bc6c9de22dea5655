#pragma once

#include "stages/RecordTable.h"

#include <QWidget>

namespace melvanta {

// Planned against used, one bar pair per record: the set time as a frame,
// the time used filled to its length, the overtime part in red beyond the
// frame and the paused time as a hatched band below, so that the organiser
// sees at a glance who ran over. Drawn in the window's palette; as many
// records as fit, the rest counted in a note.
class RecordChart : public QWidget
{
    Q_OBJECT
public:
    explicit RecordChart(QWidget* parent = nullptr);

    void setRecords(const QList<RecordRow>& records);
    const QList<RecordRow>& records() const { return m_records; }
    // How many bars the chart has room for at its height.
    int shownCount() const;

    QSize sizeHint() const override;

    // The colours of the parts, for the legend and for tests.
    QColor usedColour() const;
    static QColor overtimeColour() { return QColor(200, 40, 40); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<RecordRow> m_records;
};

} // namespace melvanta
