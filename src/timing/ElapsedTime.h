#pragma once

#include <QtGlobal>

namespace melvanta {

struct RunContext;

enum class Counter
{
    Main,
    Overtime
};

// `remaintime`: the elapsed time of a counter, measured afresh on the run's
// timing source from the start mark plus what was banked before it. Midnight
// passed on the time-of-day sources adds a day. A measurement that cannot be
// right (out of range) advances the stored `clockmode`, so that the next run
// uses the next source, and gives 0.
qint64 measureElapsed(RunContext& context, Counter counter);

// Milliseconds since the start mark (the length of a pause).
qint64 timeSinceMark(const RunContext& context);

} // namespace melvanta
