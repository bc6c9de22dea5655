#pragma once

#include <QDateTime>
#include <QTime>

namespace melvanta {

// Where the timing engine reads time. Runs never count ticks: every tick
// recomputes the elapsed time from here, and tests put a fake clock here.
class TimeSource
{
public:
    virtual ~TimeSource() = default;
    // Milliseconds since an arbitrary start; never goes backwards, whatever
    // happens to the wall clock.
    virtual qint64 tickCount() const = 0;
    // The wall clock, local time.
    virtual QDateTime now() const = 0;

    QTime timeOfDay() const { return now().time(); }
};

// The three ways a run can measure its elapsed time (`clockmode`).
enum class TimingSourceKind
{
    TickCount = 0,
    SecondsSinceMidnight = 1,
    TimeOfDay = 2
};

// The reading a run keeps as its start mark: the tick count, the
// milliseconds since midnight, or the whole seconds of the time of day
// in milliseconds.
qint64 readTimingSource(const TimeSource& time, int source);

// The machine's own clocks: the tick count (which counts a suspend) and the
// local wall clock.
class SystemTimeSource : public TimeSource
{
public:
    SystemTimeSource();
    qint64 tickCount() const override;
    QDateTime now() const override { return QDateTime::currentDateTime(); }

private:
    qint64 m_origin;
};

} // namespace melvanta
