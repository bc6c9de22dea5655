#include "records/RecordHeader.h"

#include <QPainter>

namespace melvanta {

RecordHeader::RecordHeader(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture1"));
}

void RecordHeader::setColumns(const QStringList& titles, const QList<int>& offsets)
{
    m_titles = titles;
    m_offsets = offsets;
    setAccessibleName(titles.join(QLatin1Char(' ')));
    update();
}

QSize RecordHeader::sizeHint() const
{
    return {200, fontMetrics().height() + 4};
}

void RecordHeader::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    for (int k = 0; k < m_titles.size() && k < m_offsets.size(); ++k)
        painter.drawText(QRect(m_offsets.at(k), 0, width(), height()), Qt::AlignVCenter | Qt::AlignLeft,
                         m_titles.at(k));
}

} // namespace melvanta
