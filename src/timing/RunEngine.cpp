#include "timing/RunEngine.h"

#include "timing/ElapsedTime.h"

#include "timing/ClockScreen.h"

namespace melvanta {

RunEngine::RunEngine(const TimeSource& time, CurrentStage& stage, ClockScreen& screen, SoundOutput& sound,
                     RecordSink& records, RegistryStore& registry, const QString& profilePath, QObject* parent)
    : QObject(parent), m_ctx(time, stage, screen, sound, records, registry, profilePath), m_control(m_ctx),
      m_ticker(m_ctx, m_control)
{
    m_control.setTicker(m_ticker);
    m_ctx.statusChanged = [this](RunStatus status) { Q_EMIT statusChanged(status); };
    RunTimers& t = m_ctx.timers;
    connect(&t.timer1, &TickTimer::fired, this, [this] { m_ticker.mainTick(); });
    connect(&t.timer3, &TickTimer::fired, this, [this] { m_ticker.flashTick(); });
    connect(&t.timer4, &TickTimer::fired, this, [this] { m_ticker.overtimeTick(); });
    connect(&t.timer5, &TickTimer::fired, this, [this] { m_control.deferredStart(); });
    connect(&t.timer7, &TickTimer::fired, this, [this] { m_ticker.promptTick(); });
    connect(&t.timer9, &TickTimer::fired, this, [this] { m_ticker.longTermStart(); });
    connect(&t.timer10, &TickTimer::fired, this, [this] { m_ticker.longTermTick(); });
    connect(&t.timer11, &TickTimer::fired, this, [this] { m_ticker.restartTick(); });
}

void RunEngine::load(int timingSource)
{
    m_ctx.run.timingSource = (timingSource >= 0 && timingSource <= 2) ? timingSource : 0;
    m_ctx.setStatus(RunStatus::Idle);
    if (m_ctx.stage().longTerm())
        m_ctx.timers.timer9.start();
}

void RunEngine::halt()
{
    RunTimers& t = m_ctx.timers;
    for (TickTimer* timer : {&t.timer1, &t.timer3, &t.timer4, &t.timer5, &t.timer7, &t.timer9, &t.timer10, &t.timer11})
        timer->stop();
}

qint64 RunEngine::liveElapsedMs() const
{
    const RunState& run = m_ctx.run;
    if (m_ctx.status != RunStatus::Running || run.longTerm || run.activeCounter != 0 || run.finished)
        return run.elapsedMs[1];
    // Never less than the last tick counted: a wall-clock step is for the tick to settle.
    return qMax(run.elapsedMs[1], run.accumulatedMs[1] + peekTimeSinceMark(m_ctx));
}

} // namespace melvanta
