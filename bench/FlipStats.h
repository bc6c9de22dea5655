#pragma once

#include <QString>
#include <QTextStream>

#include <algorithm>
#include <vector>

// How well the shown second followed the true second of a run: every change
// of the clock text is compared with the moment the text should have changed.
class FlipStats
{
public:
    // A new text `value` (seconds) appeared at `atMs`, `lateMs` after its boundary.
    void flip(int value, qint64 atMs, qint64 lateMs)
    {
        m_late.push_back(lateMs);
        if (m_haveLast) {
            if (qAbs(value - m_lastValue) > 1)
                m_skipped += qAbs(value - m_lastValue) - 1;
            if (atMs - m_lastAt > 1050)
                ++m_held;
        }
        m_haveLast = true;
        m_lastValue = value;
        m_lastAt = atMs;
    }

    void print(QTextStream& out, const QString& title) const
    {
        std::vector<qint64> late = m_late;
        std::sort(late.begin(), late.end());
        const qint64 max = late.empty() ? -1 : late.back();
        const qint64 p95 = late.empty() ? -1 : late[late.size() * 95 / 100];
        const qint64 min = late.empty() ? -1 : late.front();
        out << title << ": " << late.size() << " flips, late by max " << max << " ms, 95th percentile " << p95
            << " ms (earliest " << min << " ms); seconds held over 1.05 s: " << m_held
            << "; seconds skipped: " << m_skipped << Qt::endl;
    }

    qint64 maxLate() const { return m_late.empty() ? -1 : *std::max_element(m_late.begin(), m_late.end()); }
    qint64 minLate() const { return m_late.empty() ? -1 : *std::min_element(m_late.begin(), m_late.end()); }
    int held() const { return m_held; }
    int skipped() const { return m_skipped; }

private:
    std::vector<qint64> m_late;
    bool m_haveLast = false;
    int m_lastValue = 0;
    qint64 m_lastAt = 0;
    int m_held = 0;
    int m_skipped = 0;
};
