#include "timing/ElapsedTime.h"

#include "storage/RegistryStore.h"
#include "timing/RunContext.h"
#include "timing/TimeSource.h"

#include <limits>

namespace melvanta {

namespace {

constexpr qint64 kDayMs = 86'400'000;
// The overtime counter starts its first tick 200 ms into its second.
constexpr qint64 kOvertimeLead = 200;

} // namespace

qint64 timeSinceMark(const RunContext& ctx)
{
    const RunState& run = ctx.run;
    qint64 since = 0;
    if (run.timingSource == int(TimingSourceKind::TimeOfDay))
        since = qint64(run.startTimeOfDay.secsTo(ctx.time.timeOfDay())) * 1000;
    else
        since = readTimingSource(ctx.time, run.timingSource) - run.startMark;
    if (since < 0 && run.timingSource != int(TimingSourceKind::TickCount))
        since += kDayMs; // midnight passed
    return since;
}

qint64 measureElapsed(RunContext& ctx, Counter counter)
{
    const RunState& run = ctx.run;
    const qint64 banked = counter == Counter::Main ? run.accumulatedMs[1] : run.accumulatedMs[2];
    const qint64 lead = counter == Counter::Overtime ? kOvertimeLead : 0;
    const qint64 elapsed = timeSinceMark(ctx) + banked + lead;
    if (elapsed < 0 || elapsed > std::numeric_limits<qint32>::max()) {
        const int next = (ctx.registry.number(QStringLiteral("clockmode"), 0) + 1) % 3;
        ctx.registry.setNumber(QStringLiteral("clockmode"), next < 0 ? 0 : next);
        return 0;
    }
    return elapsed;
}

} // namespace melvanta
