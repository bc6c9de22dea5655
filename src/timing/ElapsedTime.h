#pragma once

#include <QtGlobal>

namespace melvanta {

struct RunContext;

// The overtime counter starts 200 ms into its first second.
inline constexpr qint64 kOvertimeLeadMs = 200;

enum class Counter
{
    Main,
    Overtime
};

// `remaintime`: the elapsed time of a counter, measured afresh on the run's
// timing source from the start mark plus what was banked before it. Midnight
// passed on the time-of-day sources adds a day; any other step of the wall
// clock re-bases the run first (followWallClock). A measurement that cannot be
// right (out of range) advances the stored `clockmode`, so that the next run
// uses the next source, and gives 0.
qint64 measureElapsed(RunContext& context, Counter counter);

// Milliseconds since the start mark (the length of a pause, or what a
// long-term run has counted since it last started).
qint64 timeSinceMark(RunContext& context);
// The same as the timing source reads it now, without looking for a step
// of the wall clock: for those watching the clock between its ticks.
qint64 peekTimeSinceMark(const RunContext& context);

// Re-bases counting on the timing source: start mark and time of day are
// now, less `agoMs` (counting began that long ago).
void markStart(RunContext& context, qint64 agoMs = 0);

// On the time-of-day sources, a step of the wall clock (a correction, the
// user setting the clock) moves the start mark with it, so that the time
// counted stays continuous. A step is the difference between how far the
// wall clock and the tick count moved since the last look; the tick count
// counts a suspend, so a sleeping machine is no step. Crossing midnight is
// no step either: the local wall clock runs on into the next day.
void followWallClock(RunContext& context);

// Milliseconds until the wall clock's next whole second.
int msToNextWallSecond(const RunContext& context);

} // namespace melvanta
