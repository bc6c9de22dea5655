#include "timing/PhaseTicker.h"

#include "timing/ClockScreen.h"
#include "timing/ElapsedTime.h"
#include "timing/RunContext.h"
#include "timing/RunController.h"
#include "timing/SoundOutput.h"
#include "timing/TimeSource.h"
#include "timing/TimeText.h"
#include "timing/RecordSink.h"
#include "timing/TickDelay.h"

// Long-term timing: the days, hours, minutes and seconds left to a due date,
// counted on the wall clock.

namespace melvanta {

int PhaseTicker::nextLongTermDelay() const
{
    // The time left to a date changes with the wall clock's second.
    return tickDelay(msToNextWallSecond(m_ctx));
}

void PhaseTicker::longTermStart()
{
    RunState& run = m_ctx.run;
    RunTimers& timers = m_ctx.timers;
    timers.timer9.stop();
    const StageSettings& stage = m_ctx.stage();
    if (m_ctx.underWay() || !stage.longTerm())
        return;
    const QDateTime now = m_ctx.time.now();
    const QDateTime target(stage.time_date, stage.Time_all);
    // The record's set time is a time of day: the time the run began.
    run.setDuration = now.time().toString(QStringLiteral("hh:mm:ss"));
    run.accumulatedMs.fill(0);
    run.stageLabel = target.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    run.endAction = static_cast<int>(m_ctx.stageEndAction());
    run.finished = false;
    run.longTerm = true;
    run.activeCounter = 0;
    run.phase = int(AlertPhase::Start);
    markStart(m_ctx);
    m_ctx.screen.refreshStage(QString());

    const bool passed = stage.time_date != kNoDate && target <= now;
    if (passed && m_ctx.closedLongTermTarget == target) {
        showLongTermEnded();
        return;
    }
    timers.timer3.stop();
    timers.timer4.stop();
    m_ctx.screen.setMarqueeRunning(true);
    m_ctx.setStatus(RunStatus::Running);
    if (!passed && stage.phaseEffect(PhaseEffect::PlaySound, AlertPhase::Start))
        m_ctx.sound.PlaySoundFile(m_ctx.soundOf(AlertPhase::Start));
    longTermTick();
}

void PhaseTicker::longTermTick()
{
    RunState& run = m_ctx.run;
    if (m_ctx.status != RunStatus::Running || run.finished || !run.longTerm) {
        m_ctx.timers.timer10.stop();
        return;
    }
    const StageSettings& stage = m_ctx.stage();
    const QDateTime now = m_ctx.time.now();
    const int format = stage.choices().formatIndex;
    if (stage.time_date == kNoDate) {
        // No due date: the long-term display shows today's date and the time.
        const QString date =
            now.date().toString(format <= 2 ? QStringLiteral("yyyy年MM月dd日") : QStringLiteral("yyyy-MM-dd"));
        const QTime t = now.time();
        m_ctx.screen.showLongTerm(date, formatLongTerm(0, t.hour(), t.minute(), t.second(), format).clock);
        m_ctx.timers.timer10.start(nextLongTermDelay());
        return;
    }
    // Whole-second boundaries between now and the target, as a wall clock counts them.
    const qint64 s = QDateTime(stage.time_date, stage.Time_all).toSecsSinceEpoch() - now.toSecsSinceEpoch();
    if (s <= 0) {
        finishLongTerm();
        return;
    }
    const qint64 days = s / 86'400;
    const qint64 rest = s - days * 86'400;
    const LongTermText text =
        formatLongTerm(int(days), int(rest / 3600), int(rest % 3600 / 60), int(rest % 60), format);
    m_ctx.screen.showLongTerm(text.dateLine, text.clock);
    m_ctx.timers.timer10.start(nextLongTermDelay());
}

void PhaseTicker::finishLongTerm()
{
    // The due date is reached: the run closes at once, as the overtime limit closes a run.
    RunState& run = m_ctx.run;
    const StageSettings& stage = m_ctx.stage();
    run.accumulatedMs[1] += timeSinceMark(m_ctx);
    run.activeCounter = 1;
    startEndPhase();
    if (stage.phaseEffect(PhaseEffect::ShowText, AlertPhase::End))
        showEndTextInsteadOfPrompt(false);
    m_ctx.screen.showLongTerm(QStringLiteral("0天"), QString());
    closeRun();
    m_ctx.closedLongTermTarget = QDateTime(stage.time_date, stage.Time_all);
    m_control.StopRun();
}

void PhaseTicker::showLongTermEnded()
{
    // A date that has passed and was closed already: show that it has ended,
    // without sounds and without another record.
    RunState& run = m_ctx.run;
    const StageSettings& stage = m_ctx.stage();
    run.finished = true;
    run.activeCounter = 1;
    run.phase = int(AlertPhase::End);
    run.endAction = RunState::kFinishedAction;
    if (stage.phaseLooksEnabled())
        m_ctx.screen.applyPhaseLook(int(AlertPhase::End));
    if (stage.phaseEffect(PhaseEffect::ShowText, AlertPhase::End))
        showEndTextInsteadOfPrompt(false);
    m_ctx.screen.showLongTerm(QStringLiteral("0天"), QString());
    m_ctx.setStatus(RunStatus::Cleared);
}

} // namespace melvanta
