#pragma once

#include <QDate>
#include <QtGlobal>

namespace melvanta {

// A tick comes this long after the moment its second changes, so that the
// reading it takes lies past the change.
inline constexpr int kFlipMarginMs = 2;

// The timer interval for a change `ms` away: at least 1 ms, at most a second.
inline int tickDelay(qint64 ms)
{
    return int(qBound<qint64>(qint64(1), ms, qint64(1000))) + kFlipMarginMs;
}

// The due date of a stage without long-term timing.
inline const QDate kNoDate{2000, 1, 1};

} // namespace melvanta
