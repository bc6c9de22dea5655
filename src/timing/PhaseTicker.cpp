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

namespace melvanta {

namespace {

constexpr int kFlashInterval = 490;

// Milliseconds until a count that grows with time reaches its next whole second.
qint64 msToNextWholeSecond(qint64 ms)
{
    return 1000 - ((ms % 1000) + 1000) % 1000;
}

// Milliseconds until a count that falls with time drops below its whole second.
qint64 msToNextDrop(qint64 ms)
{
    return ((ms % 1000) + 1000) % 1000 + 1;
}

} // namespace

PhaseTicker::PhaseTicker(RunContext& context, RunController& control) : m_ctx(context), m_control(control)
{}

void PhaseTicker::Label_change(const QString& runText)
{
    const ComboChoices choices = m_ctx.stage().choices();
    const std::optional<QString> text = formatClockText(runText, static_cast<TimingMode>(choices.timingMode),
                                                        choices.formatIndex, m_ctx.time.timeOfDay());
    if (!text)
        return;
    if (choices.endAction == EndAction::Overtime && m_ctx.stage().showOvertimeClock() && m_ctx.run.activeCounter == 1)
        m_ctx.screen.showOvertimeText(*text);
    else
        m_ctx.screen.showClockText(*text);
}

QString PhaseTicker::wholeDurationText() const
{
    return m_ctx.countdown() ? QStringLiteral("00:00:00") : runTimeText(m_ctx.run.totalMs);
}

void PhaseTicker::tickCounter()
{
    if (m_ctx.run.longTerm)
        longTermTick();
    else if (m_ctx.run.activeCounter == 1)
        overtimeTick();
    else
        mainTick();
}

bool PhaseTicker::addTime(int seconds)
{
    RunState& run = m_ctx.run;
    const bool running = m_ctx.status == RunStatus::Running;
    if (!(running || m_ctx.status == RunStatus::Paused) || run.finished || run.longTerm || run.activeCounter != 0 ||
        !m_ctx.countdown())
        return false;
    if (running)
        run.elapsedMs[1] = measureElapsed(m_ctx, Counter::Main);
    const int passedSeconds = int(run.elapsedMs[1] / 1000);
    run.totalSeconds = qMax(passedSeconds + 1, run.totalSeconds + seconds);
    run.totalMs = qint64(run.totalSeconds) * 1000;
    run.counterMs = run.remainingMs();
    const int shownSecond = int(run.counterMs / 1000);
    if (shownSecond >= run.lastCheckedSecond) {
        run.lastCheckedSecond = shownSecond + 1;
        // The phase the remaining time stands in: the last alarm whose second has shown.
        int phase = int(AlertPhase::Start);
        for (int k = 1; k <= 4; ++k) {
            if (run.alarmSeconds[k] > shownSecond && run.alarmSeconds[k] < run.totalSeconds)
                phase = k;
        }
        if (phase != run.phase && run.phase != RunState::kNoPrompt) {
            run.phase = phase;
            run.promptRefreshCount = 3;
            m_ctx.timers.timer7.start();
            if (m_ctx.stage().phaseLooksEnabled())
                m_ctx.screen.applyPhaseLook(phase);
        }
    }
    Label_change(runTimeText(run.counterMs));
    // Less time: the alarm passed over comes at once.
    enterDuePhase(shownSecond);
    if (running)
        m_ctx.timers.timer1.start(nextMainDelay());
    return true;
}

void PhaseTicker::bankCounter()
{
    RunState& run = m_ctx.run;
    RunTimers& timers = m_ctx.timers;
    if (run.longTerm) {
        timers.timer10.stop();
        run.accumulatedMs[1] += timeSinceMark(m_ctx);
    } else if (run.activeCounter == 1) {
        timers.timer4.stop();
        run.accumulatedMs[2] = run.elapsedMs[2];
    } else {
        timers.timer1.stop();
        run.accumulatedMs[1] = run.elapsedMs[1];
        run.accumulatedMs[2] = 0;
    }
}

void PhaseTicker::scheduleCounter()
{
    RunTimers& timers = m_ctx.timers;
    if (m_ctx.run.longTerm)
        timers.timer10.start(nextLongTermDelay());
    else if (m_ctx.run.activeCounter == 1)
        timers.timer4.start(nextOvertimeDelay());
    else
        timers.timer1.start(nextMainDelay());
}

int PhaseTicker::nextMainDelay() const
{
    const RunState& run = m_ctx.run;
    // The time of day counts whole seconds: the count moves when the wall clock's second does.
    if (run.timingSource == int(TimingSourceKind::TimeOfDay))
        return tickDelay(msToNextWallSecond(m_ctx));
    // The remaining second decides the phases and the end; counting down, it is also what shows.
    qint64 delay = msToNextDrop(run.counterMs);
    if (!m_ctx.countdown()) {
        const qint64 shown = m_ctx.systemTimeMode() ? msToNextWallSecond(m_ctx) : msToNextWholeSecond(run.elapsedMs[1]);
        const int nextSecond = int(run.counterMs / 1000) - 1;
        bool phaseDue = nextSecond <= 0;
        for (int k = 1; k <= 4 && !phaseDue; ++k)
            phaseDue = nextSecond == run.alarmSeconds[k];
        delay = phaseDue ? qMin(delay, shown) : shown;
    }
    return tickDelay(delay);
}

int PhaseTicker::nextOvertimeDelay() const
{
    const RunState& run = m_ctx.run;
    if (run.timingSource == int(TimingSourceKind::TimeOfDay))
        return tickDelay(msToNextWallSecond(m_ctx));
    qint64 delay = msToNextWholeSecond(run.elapsedMs[2]);
    if (m_ctx.systemTimeMode())
        delay = qMin<qint64>(delay, msToNextWallSecond(m_ctx));
    return tickDelay(delay);
}

void PhaseTicker::mainTick()
{
    RunState& run = m_ctx.run;
    RunTimers& timers = m_ctx.timers;
    // A tick that arrives after its counter stopped counts nothing.
    if (m_ctx.status != RunStatus::Running || run.finished || run.longTerm || run.activeCounter != 0) {
        timers.timer1.stop();
        return;
    }
    run.elapsedMs[1] = measureElapsed(m_ctx, Counter::Main);
    run.counterMs = run.remainingMs();
    if (run.counterMs > 0)
        Label_change(runTimeText(m_ctx.countdown() ? run.counterMs : run.elapsedMs[1]));

    const qint64 shownSecond = run.counterMs / 1000;
    if (shownSecond <= 0) {
        timeUp();
        return;
    }
    enterDuePhase(int(shownSecond));
    if (!timers.timer3.isActive())
        m_ctx.screen.setClockVisible(true);
    timers.timer1.start(nextMainDelay());
}

void PhaseTicker::enterDuePhase(int shownSecond)
{
    RunState& run = m_ctx.run;
    // Every whole second since the last tick is looked at once, so a late
    // tick never skips an alarm and a second seen twice enters nothing twice.
    // A phase begins when its second appears on the clock.
    int due = -1;
    for (int second = run.lastCheckedSecond - 1; second >= shownSecond; --second) {
        if (second == run.totalSeconds)
            continue; // an alarm at the whole duration is never entered
        for (int k = 1; k <= 4; ++k) {
            if (second == run.alarmSeconds[k]) {
                due = k;
                break;
            }
        }
    }
    if (shownSecond < run.lastCheckedSecond)
        run.lastCheckedSecond = shownSecond;
    if (due > 0)
        enterPhase(due);
}

void PhaseTicker::enterPhase(int k)
{
    RunState& run = m_ctx.run;
    const StageSettings& stage = m_ctx.stage();
    const auto phase = static_cast<AlertPhase>(k);
    const bool active = switchOn(stage.checkone, k + 1);
    const bool looping = k == int(AlertPhase::Four) && stage.continuousReminder();

    if (active && stage.phaseEffect(PhaseEffect::Flash, phase)) {
        run.flashCount = looping ? run.alarmSeconds[4] * 2 : stage.tixingtime * 2;
        m_ctx.timers.timer3.start();
    }
    run.promptRefreshCount = 3;
    run.phase = k;
    m_ctx.timers.timer7.start();
    if (active && stage.phaseLooksEnabled())
        m_ctx.screen.applyPhaseLook(k);
    if (active && stage.phaseEffect(PhaseEffect::PlaySound, phase)) {
        m_ctx.sound.StopSoundFile(m_ctx.soundOf(static_cast<AlertPhase>(k - 1)));
        if (looping)
            m_ctx.sound.LoopSoundFile(m_ctx.soundOf(phase));
        else
            m_ctx.sound.PlaySoundFile(m_ctx.soundOf(phase));
    }
}

qint64 PhaseTicker::timeUpLateness() const
{
    const RunState& run = m_ctx.run;
    if (run.timingSource == int(TimingSourceKind::TimeOfDay)) {
        // Whole seconds: the time came when the wall clock last turned a second.
        return qMax<qint64>(0, run.elapsedMs[1] - run.totalMs) + (1000 - msToNextWallSecond(m_ctx));
    }
    // The time is up when the whole duration has passed.
    return qMax<qint64>(0, run.elapsedMs[1] - run.totalMs);
}

void PhaseTicker::timeUp()
{
    RunState& run = m_ctx.run;
    RunTimers& timers = m_ctx.timers;
    const StageSettings& stage = m_ctx.stage();
    timers.timer1.stop();
    timers.timer3.stop();
    run.flashCount = 0;
    run.accumulatedMs[1] = run.elapsedMs[1];

    switch (run.endAction) {
    case int(EndAction::Overtime): {
        run.phase = int(AlertPhase::Five);
        run.promptRefreshCount = 3;
        timers.timer7.start();
        const bool overtime = stage.overtimeEnabled();
        if (overtime && stage.phaseEffect(PhaseEffect::Flash, AlertPhase::Five)) {
            run.flashCount = stage.tixingtime * 2;
            timers.timer3.start();
        }
        if (stage.phaseLooksEnabled())
            m_ctx.screen.applyPhaseLook(int(AlertPhase::Five));
        m_ctx.sound.StopSoundFile(m_ctx.soundOf(AlertPhase::Four));
        if (overtime && stage.phaseEffect(PhaseEffect::PlaySound, AlertPhase::Five))
            m_ctx.sound.PlaySoundFile(m_ctx.soundOf(AlertPhase::Five));
        Label_change(wholeDurationText());
        // Overtime counts from the moment the time was up, not from this
        // (possibly late) tick.
        const qint64 late = timeUpLateness();
        run.activeCounter = 1;
        run.accumulatedMs[2] = kOvertimeLeadMs;
        markStart(m_ctx, late);
        run.elapsedMs[2] = measureElapsed(m_ctx, Counter::Overtime);
        run.counterMs = run.elapsedMs[2];
        timers.timer4.start(nextOvertimeDelay());
        return;
    }
    case int(EndAction::Stop):
    case int(EndAction::Reset):
    case int(EndAction::NextStage): {
        startEndPhase();
        endOfTimeDisplay();
        closeRun();
        if (run.endAction == int(EndAction::NextStage))
            m_control.ClearRun();
        else
            m_control.StopRun();
        if (run.endAction == int(EndAction::Stop))
            return;
        run.restartDelay = run.delaySeconds;
        m_ctx.screen.showRestartDelay(run.restartDelay);
        if (stage.restartAfterDelay()) {
            timers.timer3.start();
            timers.timer11.start();
        } else {
            timers.timer11.stop();
            timers.timer3.stop();
            m_ctx.screen.showRestartDelay(0);
            m_control.StartRun();
        }
        return;
    }
    default: // an end action the program does not know: the run just ends
        closeRun();
        m_control.StopRun();
        return;
    }
}

void PhaseTicker::startEndPhase()
{
    RunState& run = m_ctx.run;
    const StageSettings& stage = m_ctx.stage();
    run.phase = int(AlertPhase::End);
    run.promptRefreshCount = 3;
    m_ctx.timers.timer7.start();
    if (stage.phaseEffect(PhaseEffect::Flash, AlertPhase::End)) {
        run.flashCount = stage.tixingtime * 2;
        m_ctx.timers.timer3.start();
    }
    if (stage.phaseLooksEnabled())
        m_ctx.screen.applyPhaseLook(int(AlertPhase::End));
    m_ctx.sound.StopSoundFile(m_ctx.soundOf(AlertPhase::Four));
    if (stage.phaseEffect(PhaseEffect::PlaySound, AlertPhase::End))
        m_ctx.sound.PlaySoundFile(m_ctx.soundOf(AlertPhase::End));
}

void PhaseTicker::endOfTimeDisplay()
{
    const StageSettings& stage = m_ctx.stage();
    if (stage.clockShowsEndText() && stage.phaseEffect(PhaseEffect::ShowText, AlertPhase::End)) {
        showEndTextInsteadOfPrompt(false);
        return;
    }
    m_ctx.run.promptRefreshCount = 3;
    m_ctx.run.phase = int(AlertPhase::End);
    m_ctx.timers.timer7.start();
    Label_change(wholeDurationText());
}

void PhaseTicker::showEndTextInsteadOfPrompt(bool evenWhenEmpty)
{
    const QString& text = m_ctx.stage().textend;
    m_ctx.timers.timer7.stop();
    m_ctx.screen.setPromptVisible(false);
    if (evenWhenEmpty || !text.isEmpty())
        m_ctx.screen.showEndText(text);
}

bool PhaseTicker::closeRun()
{
    RunState& run = m_ctx.run;
    if (run.finished)
        return false;
    // Closed once: whatever comes after (a late tick, a clear, a start)
    // finds the run finished and writes nothing more.
    run.finished = true;
    RunTimers& timers = m_ctx.timers;
    timers.timer1.stop();
    timers.timer4.stop();
    timers.timer9.stop();
    timers.timer10.stop();
    m_ctx.screen.setMarqueeRunning(false);
    m_ctx.screen.setClockVisible(true);
    m_ctx.records.WriteTimingRecord(run, m_ctx.time.now());
    return true;
}

void PhaseTicker::stopByCommand()
{
    RunState& run = m_ctx.run;
    if (run.finished)
        return;
    if (m_ctx.status == RunStatus::Paused) {
        // The counters were banked when the pause began; the pause ends now.
        run.accumulatedMs[3] += timeSinceMark(m_ctx);
    } else if (run.longTerm) {
        run.accumulatedMs[1] += timeSinceMark(m_ctx);
    } else if (run.activeCounter == 1) {
        run.elapsedMs[2] = measureElapsed(m_ctx, Counter::Overtime);
        // A stop that comes after the limit, before its tick, ends at the limit.
        if (overtimeLimited())
            run.elapsedMs[2] = qMin<qint64>(run.elapsedMs[2], qint64(run.alarmSeconds[5]) * 1000);
        run.counterMs = run.elapsedMs[2];
        Label_change(runTimeText(run.counterMs));
        run.accumulatedMs[2] = run.elapsedMs[2];
    } else {
        run.elapsedMs[1] = measureElapsed(m_ctx, Counter::Main);
        run.counterMs = run.remainingMs();
        if (run.counterMs > 0)
            Label_change(runTimeText(m_ctx.countdown() ? run.counterMs : run.elapsedMs[1]));
        run.accumulatedMs[1] = run.elapsedMs[1];
    }
    run.endAction = RunState::kFinishedAction;
    m_ctx.timers.timer3.stop();
    run.flashCount = 0;
    // A final-seconds sound may loop; it ends with the run.
    m_ctx.sound.StopSoundFile(m_ctx.soundOf(AlertPhase::Four));
    closeRun();
}

void PhaseTicker::overtimeTick()
{
    RunState& run = m_ctx.run;
    RunTimers& timers = m_ctx.timers;
    if (m_ctx.status != RunStatus::Running || run.finished || run.activeCounter != 1) {
        timers.timer4.stop();
        return;
    }
    run.elapsedMs[2] = measureElapsed(m_ctx, Counter::Overtime);
    run.counterMs = run.elapsedMs[2];
    // The limit is reached at its second or later, so a late tick cannot miss it.
    if (overtimeLimited() && run.counterMs / 1000 >= run.alarmSeconds[5]) {
        overtimeLimitReached();
        return;
    }
    Label_change(runTimeText(run.counterMs));
    timers.timer4.start(nextOvertimeDelay());
}

bool PhaseTicker::overtimeLimited() const
{
    const RunState& run = m_ctx.run;
    return m_ctx.stage().overtimeEnabled() && run.alarmSeconds[5] >= 1 && run.endAction == int(EndAction::Overtime);
}

void PhaseTicker::overtimeLimitReached()
{
    RunState& run = m_ctx.run;
    // The run ends at its limit: that is the overtime it had.
    run.counterMs = qint64(run.alarmSeconds[5]) * 1000;
    run.accumulatedMs[2] = run.counterMs;
    Label_change(runTimeText(run.counterMs));
    startEndPhase();
    if (m_ctx.stage().phaseEffect(PhaseEffect::ShowText, AlertPhase::End))
        showEndTextInsteadOfPrompt(true);
    closeRun();
    m_control.StopRun();
}

void PhaseTicker::flashTick()
{
    RunState& run = m_ctx.run;
    m_ctx.timers.timer3.setInterval(kFlashInterval);
    const bool overtimeClock = run.phase == int(AlertPhase::Five) && m_ctx.stageEndAction() == EndAction::Overtime &&
                               m_ctx.stage().showOvertimeClock();
    ClockScreen& screen = m_ctx.screen;
    auto setVisible = [&](bool visible) {
        if (overtimeClock)
            screen.setOvertimeClockVisible(visible);
        else
            screen.setClockVisible(visible);
    };
    // When the half-periods are used up the flash ends with the element shown.
    if (run.flashCount < 1) {
        setVisible(true);
        m_ctx.timers.timer3.stop();
        return;
    }
    setVisible(!(overtimeClock ? screen.isOvertimeClockVisible() : screen.isClockVisible()));
    --run.flashCount;
}

void PhaseTicker::promptTick()
{
    RunState& run = m_ctx.run;
    const StageSettings& stage = m_ctx.stage();
    QString text;
    if (run.phase >= 0 && run.phase <= int(AlertPhase::End)) {
        const auto phase = static_cast<AlertPhase>(run.phase);
        bool shown = stage.phaseEffect(PhaseEffect::ShowText, phase);
        if (phase != AlertPhase::Start && phase != AlertPhase::End)
            shown = shown && switchOn(stage.checkone, run.phase + 1);
        if (shown)
            text = stage.phaseText(phase);
    }
    m_ctx.screen.setPromptText(text);
    if (run.promptRefreshCount <= 0)
        m_ctx.timers.timer7.stop();
    --run.promptRefreshCount;
}

void PhaseTicker::restartTick()
{
    RunState& run = m_ctx.run;
    m_ctx.timers.timer11.stop();
    // The operator may have cleared the ended run already.
    if (m_ctx.status != RunStatus::Cleared)
        return;
    if (m_ctx.stage().restartAfterDelay() && run.restartDelay > 0) {
        m_ctx.timers.timer11.start();
        --run.restartDelay;
        m_ctx.screen.showRestartDelay(run.restartDelay);
        return;
    }
    m_ctx.timers.timer3.stop();
    m_ctx.screen.showRestartDelay(0);
    m_control.StartRun();
}

} // namespace melvanta
