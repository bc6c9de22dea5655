#include "records/RecordChart.h"

#include <QPainter>

#include <algorithm>

namespace melvanta {

namespace {

constexpr int kRowHeight = 22;
constexpr int kMargin = 6;
constexpr int kLabelWidth = 150;

qint64 secondsOf(const QString& stored)
{
    return std::max<qint64>(0, recordSeconds(stored));
}

} // namespace

RecordChart::RecordChart(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("RecordChart"));
    setAccessibleName(QStringLiteral("计时图表"));
    setMinimumHeight(3 * kRowHeight + 2 * kMargin);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

void RecordChart::setRecords(const QList<RecordRow>& records)
{
    m_records = records;
    setAccessibleDescription(QStringLiteral("%1 条记录").arg(records.size()));
    update();
}

int RecordChart::shownCount() const
{
    // One row is kept for the note on records that do not fit.
    const int rows = std::max(1, (height() - 2 * kMargin) / kRowHeight);
    return int(m_records.size()) <= rows ? int(m_records.size()) : rows - 1;
}

QSize RecordChart::sizeHint() const
{
    return {640, 8 * kRowHeight + 2 * kMargin};
}

QColor RecordChart::usedColour() const
{
    return palette().color(QPalette::Highlight);
}

void RecordChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& colours = palette();
    const int shown = shownCount();
    // One scale for every bar, set by the longest set time with room for
    // half as much again: a run far over its time is cut at the edge (and
    // says so in its figures) rather than squeezing every other bar flat.
    qint64 longestSet = 0, longestUsed = 1;
    for (int k = 0; k < shown; ++k) {
        longestSet = std::max(longestSet, secondsOf(m_records.at(k).setTime));
        longestUsed = std::max(longestUsed, secondsOf(m_records.at(k).useTime));
    }
    const qint64 scale = longestSet > 0 ? std::min(longestUsed, longestSet * 3 / 2) : longestUsed;
    const int timeWidth =
        painter.fontMetrics().horizontalAdvance(QStringLiteral("00:00:00 / 00:00:00  超时 00:00:00 "));
    const int barLeft = kMargin + kLabelWidth;
    const int barRoom = std::max(20, width() - barLeft - timeWidth - 2 * kMargin);
    auto length = [&](qint64 seconds) {
        return int(std::min(1.0, double(seconds) / double(std::max<qint64>(1, scale))) * barRoom);
    };

    painter.setPen(colours.color(QPalette::Text));
    if (m_records.isEmpty()) {
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("没有记录"));
        return;
    }
    for (int k = 0; k < shown; ++k) {
        const RecordRow& row = m_records.at(k);
        const int top = kMargin + k * kRowHeight;
        const qint64 set = secondsOf(row.setTime), used = secondsOf(row.useTime);
        const qint64 over = secondsOf(row.outTime), paused = secondsOf(row.pauseTime);
        const QRect label(kMargin, top, kLabelWidth - kMargin, kRowHeight);
        painter.setPen(colours.color(QPalette::Text));
        painter.drawText(label, Qt::AlignVCenter | Qt::AlignLeft,
                         painter.fontMetrics().elidedText(row.filename, Qt::ElideRight, label.width()));
        const int barTop = top + 3, barHeight = kRowHeight - 9;
        // The time used, the part beyond the set time in red.
        const int usedLength = length(used);
        const int withinLength = std::min(usedLength, length(set));
        painter.fillRect(barLeft, barTop, withinLength, barHeight, usedColour());
        if (usedLength > withinLength || over > 0) {
            const int overLength = std::max(usedLength - withinLength, 2);
            painter.fillRect(barLeft + withinLength, barTop, overLength, barHeight, overtimeColour());
        }
        // The set time as a frame around where the bar should end.
        painter.setPen(QPen(colours.color(QPalette::Text), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(barLeft, barTop, std::max(1, length(set)), barHeight);
        if (paused > 0) {
            painter.fillRect(QRect(barLeft, barTop + barHeight + 1, std::max(2, length(paused)), 4),
                             QBrush(colours.color(QPalette::Text), Qt::BDiagPattern));
        }
        QString times = recordTimeText(row.useTime, 2) + QStringLiteral(" / ") + recordTimeText(row.setTime, 2);
        if (over > 0)
            times += QStringLiteral("  超时 ") + recordTimeText(row.outTime, 1);
        painter.setPen(over > 0 ? overtimeColour() : colours.color(QPalette::Text));
        painter.drawText(QRect(barLeft + barRoom + kMargin, top, timeWidth, kRowHeight),
                         Qt::AlignVCenter | Qt::AlignLeft, times);
    }
    if (shown < m_records.size()) {
        painter.setPen(colours.color(QPalette::Text));
        painter.drawText(QRect(kMargin, kMargin + shown * kRowHeight, width() - 2 * kMargin, kRowHeight),
                         Qt::AlignVCenter | Qt::AlignLeft,
                         QStringLiteral("另有 %1 条记录未画出，选中记录可只看这些").arg(m_records.size() - shown));
    }
}

} // namespace melvanta
