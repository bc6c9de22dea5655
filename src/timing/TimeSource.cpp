#include "timing/TimeSource.h"

#include "platform/BootClock.h"

namespace melvanta {

qint64 readTimingSource(const TimeSource& time, int source)
{
    switch (static_cast<TimingSourceKind>(source)) {
    case TimingSourceKind::SecondsSinceMidnight:
        return time.timeOfDay().msecsSinceStartOfDay();
    case TimingSourceKind::TimeOfDay:
        return qint64(time.timeOfDay().msecsSinceStartOfDay() / 1000) * 1000;
    case TimingSourceKind::TickCount:
    default:
        return time.tickCount();
    }
}

SystemTimeSource::SystemTimeSource() : m_origin(bootClockMs())
{}

qint64 SystemTimeSource::tickCount() const
{
    return bootClockMs() - m_origin;
}

} // namespace melvanta
