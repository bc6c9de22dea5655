#include "timing/RunController.h"

#include "core/Encodings.h"
#include "storage/ProfileFile.h"
#include "timing/ClockScreen.h"
#include "timing/ElapsedTime.h"
#include "timing/PhaseTicker.h"
#include "timing/RunContext.h"
#include "timing/SoundOutput.h"
#include "timing/StageList.h"
#include "timing/TimeSource.h"
#include "timing/TimeText.h"

namespace melvanta {

namespace {
const QString kMarquee = QStringLiteral("Marquee");
const QString kCurrentRow = QStringLiteral("currentrow");
constexpr int kMaxDelaySeconds = 86'400;
} // namespace

RunController::RunController(RunContext& context) : m_ctx(context)
{}

void RunController::StartRun()
{
    if (m_ctx.underWay())
        return;
    m_ctx.reloadOnly = false;
    m_ctx.screen.endAdjusting();
    m_ctx.screen.setPromptText(QString());

    if (m_ctx.status == RunStatus::Cleared) {
        clearToIdle();
        if (m_ctx.stageEndAction() == EndAction::NextStage)
            moveToNextStage();
    }

    RunState& run = m_ctx.run;
    run.activeCounter = 0;
    run.elapsedMs.fill(0);
    run.counterMs = 0;
    m_ctx.timers.timer5.start();
}

void RunController::clearToIdle()
{
    m_ctx.setStatus(RunStatus::Idle);
    m_ctx.sound.StopSoundFile(m_ctx.soundOf(AlertPhase::End));
    m_ctx.timers.timer11.stop();
    m_ctx.reloadOnly = true;
}

void RunController::moveToNextStage()
{
    StageList* stages = m_ctx.stages;
    ProfileFile profile(m_ctx.profilePath);
    const int row = vbValInt(profile.readPart(kMarquee, kCurrentRow, QStringLiteral("-10")));
    const int cycle = vbValInt(profile.readPart(kMarquee, QStringLiteral("checkcycle"), QStringLiteral("0")));
    const int checked = stages ? stages->checkedIndex() : -1;
    const int last = stages ? stages->count() - 1 : -1;
    if (checked >= 0)
        profile.write(kMarquee, kCurrentRow, QString::number(checked + 1));

    // The row remembered at the last start says whether the checked stage
    // is still the one that ran: only then does the next one follow.
    int next = -1;
    if (row == checked + 1 && row <= last)
        next = checked + 1;
    else if (row == last + 1)
        next = 0;
    if (cycle != 0 && cycle != 1)
        return;
    if (stages && next >= 0 && next <= last) {
        stages->choose(next);
        if (cycle == 1)
            m_ctx.reloadOnly = false; // cycling: the next stage starts at once
    }
    if (cycle == 0)
        m_ctx.reloadOnly = true;
}

void RunController::StopRun()
{
    if (!m_ctx.underWay())
        return;
    finishRun();
    if (m_ctx.stageEndAction() == EndAction::NextStage) {
        // Beyond the list: clearing a run stopped by hand keeps its stage.
        const int last = m_ctx.stages ? m_ctx.stages->count() - 1 : -1;
        ProfileFile(m_ctx.profilePath).write(kMarquee, kCurrentRow, QString::number(last + 11));
    }
}

void RunController::ClearRun()
{
    if (!m_ctx.underWay())
        return;
    finishRun();
}

void RunController::finishRun()
{
    // A command closes the run now; an end action has closed it already.
    m_ticker->stopByCommand();
    m_ctx.setStatus(RunStatus::Cleared);
}

void RunController::PauseRun()
{
    if (!m_ctx.underWay())
        return;
    RunState& run = m_ctx.run;
    if (m_ctx.status == RunStatus::Running) {
        // Show the second the run stands at (and take a boundary it has
        // just crossed), so that the pause banks what the screen shows.
        m_ticker->tickCounter();
        if (m_ctx.status != RunStatus::Running)
            return; // that tick ended the run
        m_ticker->bankCounter();
        markStart(m_ctx);
        m_ctx.setStatus(RunStatus::Paused);
    } else {
        run.accumulatedMs[3] += timeSinceMark(m_ctx);
        markStart(m_ctx);
        m_ctx.setStatus(RunStatus::Running);
        // The next flip comes one whole second after the one on screen.
        m_ticker->scheduleCounter();
    }
}

void RunController::reloadStage()
{
    if (m_ctx.underWay())
        return;
    m_ctx.reloadOnly = true;
    m_ctx.timers.timer5.start();
}

void RunController::stageChosen()
{
    if (m_ctx.underWay())
        return;
    if (m_ctx.status == RunStatus::Cleared)
        clearToIdle();
    reloadStage();
}

void RunController::deferredStart()
{
    RunTimers& timers = m_ctx.timers;
    timers.timer5.stop();
    // A long-term run may have begun meanwhile; it goes on.
    if (m_ctx.underWay())
        return;
    timers.timer9.stop();
    timers.timer10.stop();
    timers.timer11.stop();
    RunState& run = m_ctx.run;
    run.elapsedMs[1] = 0;
    run.counterMs = 0;

    const StageSettings& stage = m_ctx.stage();
    if (stage.longTerm()) {
        timers.timer9.start();
        return;
    }

    run.totalSeconds = TimeToSeconds(stage.Time_all);
    run.totalMs = qint64(run.totalSeconds) * 1000;
    const QTime alarms[] = {stage.Time_one, stage.Time_two, stage.Time_three, stage.Time_four, stage.Time_five};
    for (int k = 1; k <= 5; ++k)
        run.alarmSeconds[k] = TimeToSeconds(alarms[k - 1]);
    run.setDuration = stage.Time_all.toString(QStringLiteral("hh:mm:ss"));
    run.accumulatedMs.fill(0);
    // A stored stage's runs are recorded under its name; once the stage on
    // screen is no stored one, its name no longer labels them.
    const int checked = m_ctx.stages ? m_ctx.stages->checkedIndex() : -1;
    if (checked >= 0 || run.labelIsStageName) {
        run.stageLabel = checked >= 0 ? m_ctx.stages->name(checked) : QString();
        run.labelIsStageName = checked >= 0;
    }
    run.endAction = static_cast<int>(m_ctx.stageEndAction());
    run.finished = false;
    run.longTerm = false;
    run.activeCounter = 0;
    run.flashCount = 0;
    run.restartDelay = 0;
    run.phase = RunState::kNoPrompt;
    run.lastCheckedSecond = run.totalSeconds + 1;
    // Read once here: nothing on the per-second path reads the profile file.
    const QString delay =
        ProfileFile(m_ctx.profilePath).readPart(QStringLiteral("pictureset"), QStringLiteral("Delaytime"), "0");
    run.delaySeconds = qBound(0, vbValInt(delay.trimmed()), kMaxDelaySeconds);
    m_ctx.screen.showRestartDelay(0);
    m_ctx.screen.refreshStage(initialClockText(stage, m_ctx.time.timeOfDay()));
    markStart(m_ctx);

    if (m_ctx.reloadOnly)
        return;

    const ComboChoices choices = stage.choices();
    timers.timer1.stop();
    timers.timer4.stop();
    if (choices.timingMode == int(TimingMode::SystemTime) && choices.endAction == EndAction::Overtime &&
        run.totalSeconds == 0) {
        // System time with overtime and no duration: the overtime counter runs from the start.
        run.activeCounter = 1;
        run.accumulatedMs[2] = kOvertimeLeadMs;
    }
    m_ctx.screen.setMarqueeRunning(true);
    timers.timer3.stop();
    m_ctx.setStatus(RunStatus::Running);
    if (stage.phaseEffect(PhaseEffect::PlaySound, AlertPhase::Start))
        m_ctx.sound.PlaySoundFile(m_ctx.soundOf(AlertPhase::Start));
    run.phase = int(AlertPhase::Start);
    run.promptRefreshCount = 3;
    timers.timer7.start();
    // The first tick comes at once and shows the whole duration; the
    // following ones come when the shown second changes.
    m_ticker->tickCounter();
}

} // namespace melvanta
