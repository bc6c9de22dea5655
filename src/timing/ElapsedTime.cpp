#include "timing/ElapsedTime.h"

#include "storage/RegistryStore.h"
#include "timing/RunContext.h"
#include "timing/TimeSource.h"

#include <limits>

namespace melvanta {

namespace {

constexpr qint64 kDayMs = 86'400'000;
// Differences between the wall clock and the tick count below this are
// reading jitter, not a step.
constexpr qint64 kStepToleranceMs = 1000;

qint64 wrapDay(qint64 ms)
{
    return ((ms % kDayMs) + kDayMs) % kDayMs;
}

// The local wall clock as one running count: across midnight it goes on,
// whereas the time of day starts again.
qint64 localWallMs(const QDateTime& now)
{
    return QDateTime(now.date(), now.time(), Qt::UTC).toMSecsSinceEpoch();
}

void noteWallClock(RunContext& ctx)
{
    ctx.run.wallCheckTick = ctx.time.tickCount();
    ctx.run.wallCheckLocalMs = localWallMs(ctx.time.now());
    ctx.run.wallCheckValid = true;
}

} // namespace

void followWallClock(RunContext& ctx)
{
    RunState& run = ctx.run;
    if (run.timingSource == int(TimingSourceKind::TickCount))
        return;
    const qint64 tick = ctx.time.tickCount();
    const qint64 wall = localWallMs(ctx.time.now());
    if (run.wallCheckValid) {
        const qint64 step = (wall - run.wallCheckLocalMs) - (tick - run.wallCheckTick);
        if (qAbs(step) > kStepToleranceMs) {
            run.startMark = wrapDay(run.startMark + step);
            run.startTimeOfDay = run.startTimeOfDay.addMSecs(int(wrapDay(step)));
        }
    }
    run.wallCheckTick = tick;
    run.wallCheckLocalMs = wall;
    run.wallCheckValid = true;
}

qint64 timeSinceMark(RunContext& ctx)
{
    followWallClock(ctx);
    return peekTimeSinceMark(ctx);
}

qint64 peekTimeSinceMark(const RunContext& ctx)
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
    const qint64 elapsed = timeSinceMark(ctx) + banked;
    if (elapsed < 0 || elapsed > std::numeric_limits<qint32>::max()) {
        const int next = (ctx.registry.number(QStringLiteral("clockmode"), 0) + 1) % 3;
        ctx.registry.setNumber(QStringLiteral("clockmode"), next < 0 ? 0 : next);
        return 0;
    }
    return elapsed;
}

void markStart(RunContext& ctx, qint64 agoMs)
{
    RunState& run = ctx.run;
    run.startMark = readTimingSource(ctx.time, run.timingSource) - agoMs;
    if (run.timingSource != int(TimingSourceKind::TickCount))
        run.startMark = wrapDay(run.startMark);
    run.startTimeOfDay = ctx.time.timeOfDay().addMSecs(-int(qMin<qint64>(agoMs, kDayMs - 1)));
    noteWallClock(ctx);
}

int msToNextWallSecond(const RunContext& ctx)
{
    return 1000 - ctx.time.now().time().msec();
}

} // namespace melvanta
