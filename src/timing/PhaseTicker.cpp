#include "timing/PhaseTicker.h"

#include "core/Encodings.h"
#include "storage/ProfileFile.h"
#include "timing/ClockScreen.h"
#include "timing/ElapsedTime.h"
#include "timing/RunContext.h"
#include "timing/RunController.h"
#include "timing/SoundOutput.h"
#include "timing/TimeSource.h"
#include "timing/TimeText.h"
#include "timing/TimingRecordWriter.h"

namespace melvanta {

namespace {

constexpr int kTickInterval = 985;
constexpr int kFlashInterval = 490;
constexpr int kMaxDelaySeconds = 86'400;
const QDate kNoDate(2000, 1, 1);

} // namespace

PhaseTicker::PhaseTicker(RunContext& context, RunController& control) : m_ctx(context), m_control(control)
{}

void PhaseTicker::Label_change(const QString& runText)
{
    const ComboChoices choices = m_ctx.stage.choices();
    const std::optional<QString> text = formatClockText(runText, static_cast<TimingMode>(choices.timingMode),
                                                        choices.formatIndex, m_ctx.time.timeOfDay());
    if (!text)
        return;
    if (choices.endAction == EndAction::Overtime && m_ctx.stage.showOvertimeClock() && m_ctx.timers.timer4.isActive())
        m_ctx.screen.showOvertimeText(*text);
    else
        m_ctx.screen.showClockText(*text);
}

QString PhaseTicker::wholeDurationText() const
{
    return m_ctx.countdown() ? QStringLiteral("00:00:00") : runTimeText(m_ctx.run.totalMs);
}

int PhaseTicker::delaySeconds() const
{
    const QString text =
        ProfileFile(m_ctx.profilePath).readPart(QStringLiteral("pictureset"), QStringLiteral("Delaytime"), "0");
    return qBound(0, vbValInt(text.trimmed()), kMaxDelaySeconds);
}

void PhaseTicker::mainTick()
{
    RunState& run = m_ctx.run;
    RunTimers& timers = m_ctx.timers;
    run.activeCounter = 0;
    if (!timers.timer3.isActive())
        timers.timer1.setInterval(kTickInterval);
    if (!run.finished) {
        run.elapsedMs[1] = measureElapsed(m_ctx, Counter::Main);
        run.counterMs = run.remainingMs();
    }
    if (run.counterMs > 0)
        Label_change(runTimeText(m_ctx.countdown() ? run.counterMs : run.elapsedMs[1]));
    if (run.finished) {
        run.counterMs = 0;
        run.endAction = RunState::kFinishedAction;
    }

    if (run.counterMs / 1000 <= 0) {
        timeUp();
        return;
    }
    enterDuePhase(int((run.counterMs + 100) / 1000));
    if (!timers.timer3.isActive())
        m_ctx.screen.setClockVisible(true);
}

void PhaseTicker::enterDuePhase(int remainingSecond)
{
    RunState& run = m_ctx.run;
    // Every whole second since the last tick is looked at once, so a late
    // tick never skips an alarm and a second seen twice enters nothing twice.
    int due = -1;
    for (int second = run.lastCheckedSecond - 1; second >= remainingSecond; --second) {
        if (second == run.totalSeconds)
            continue; // an alarm at the whole duration is never entered
        for (int k = 1; k <= 4; ++k) {
            if (second == run.alarmSeconds[k]) {
                due = k;
                break;
            }
        }
    }
    if (remainingSecond < run.lastCheckedSecond)
        run.lastCheckedSecond = remainingSecond;
    if (due > 0)
        enterPhase(due);
}

void PhaseTicker::enterPhase(int k)
{
    RunState& run = m_ctx.run;
    const StageSettings& stage = m_ctx.stage;
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

void PhaseTicker::timeUp()
{
    RunState& run = m_ctx.run;
    RunTimers& timers = m_ctx.timers;
    const StageSettings& stage = m_ctx.stage;
    timers.timer1.stop();
    timers.timer3.stop();
    run.flashCount = 0;
    run.accumulatedMs[1] = run.elapsedMs[1];
    const int delay = delaySeconds();

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
        m_ctx.markStart();
        timers.timer4.start(500);
        return;
    }
    case int(EndAction::Stop):
    case int(EndAction::Reset):
    case int(EndAction::NextStage): {
        startEndPhase();
        endOfTimeDisplay();
        writeRecordAndStopCounters();
        if (run.endAction == int(EndAction::NextStage))
            m_control.ClearRun();
        else
            m_control.StopRun();
        if (run.endAction == int(EndAction::Stop))
            return;
        run.restartDelay = delay;
        m_ctx.screen.showRestartDelay(delay);
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
    default: // the run was stopped: its last tick closes it quietly
        writeRecordAndStopCounters();
        return;
    }
}

void PhaseTicker::startEndPhase()
{
    RunState& run = m_ctx.run;
    const StageSettings& stage = m_ctx.stage;
    const bool quiet = run.endAction == RunState::kFinishedAction;
    run.phase = int(AlertPhase::End);
    run.promptRefreshCount = 3;
    m_ctx.timers.timer7.start();
    if (stage.phaseEffect(PhaseEffect::Flash, AlertPhase::End)) {
        run.flashCount = stage.tixingtime * 2;
        m_ctx.timers.timer3.start();
    }
    if (stage.phaseLooksEnabled() && !quiet)
        m_ctx.screen.applyPhaseLook(int(AlertPhase::End));
    m_ctx.sound.StopSoundFile(m_ctx.soundOf(AlertPhase::Four));
    if (stage.phaseEffect(PhaseEffect::PlaySound, AlertPhase::End) && !quiet)
        m_ctx.sound.PlaySoundFile(m_ctx.soundOf(AlertPhase::End));
}

void PhaseTicker::endOfTimeDisplay()
{
    const StageSettings& stage = m_ctx.stage;
    if (stage.clockShowsEndText() && stage.phaseEffect(PhaseEffect::ShowText, AlertPhase::End)) {
        m_ctx.timers.timer7.stop();
        m_ctx.screen.setPromptVisible(false);
        if (!stage.textend.isEmpty())
            m_ctx.screen.showEndText(stage.textend);
        return;
    }
    m_ctx.run.promptRefreshCount = 3;
    m_ctx.run.phase = int(AlertPhase::End);
    m_ctx.timers.timer7.start();
    Label_change(wholeDurationText());
}

void PhaseTicker::writeRecordAndStopCounters()
{
    m_ctx.records.WriteTimingRecord(m_ctx.run, m_ctx.time.now());
    m_ctx.timers.timer1.stop();
    m_ctx.timers.timer4.stop();
    m_ctx.screen.setMarqueeRunning(false);
    m_ctx.screen.setClockVisible(true);
}

void PhaseTicker::overtimeTick()
{
    RunState& run = m_ctx.run;
    RunTimers& timers = m_ctx.timers;
    run.activeCounter = 1;
    timers.timer4.setInterval(kTickInterval);
    if (!run.finished) {
        run.elapsedMs[2] = measureElapsed(m_ctx, Counter::Overtime);
        run.counterMs = run.elapsedMs[2];
    }
    const QString runText = runTimeText(run.counterMs);
    if (run.finished) {
        // Stopped by hand: bank the overtime, record the run and stop.
        Label_change(runText);
        run.accumulatedMs[2] = run.elapsedMs[2];
        timers.timer3.stop();
        writeRecordAndStopCounters();
        return;
    }
    const StageSettings& stage = m_ctx.stage;
    // The limit is reached at its second or later, so a late tick cannot miss it.
    if (stage.overtimeEnabled() && run.alarmSeconds[5] >= 1 && run.endAction == int(EndAction::Overtime) &&
        run.counterMs / 1000 >= run.alarmSeconds[5]) {
        overtimeLimitReached();
        return;
    }
    Label_change(runText);
}

void PhaseTicker::overtimeLimitReached()
{
    RunState& run = m_ctx.run;
    const StageSettings& stage = m_ctx.stage;
    // The run ends at its limit: that is the overtime it had.
    run.finished = true;
    run.counterMs = qint64(run.alarmSeconds[5]) * 1000;
    run.accumulatedMs[2] = run.counterMs;
    Label_change(runTimeText(run.counterMs));
    startEndPhase();
    if (stage.phaseEffect(PhaseEffect::ShowText, AlertPhase::End)) {
        m_ctx.timers.timer7.stop();
        m_ctx.screen.setPromptVisible(false);
        m_ctx.screen.showEndText(stage.textend);
    }
    writeRecordAndStopCounters();
    m_control.StopRun();
}

void PhaseTicker::flashTick()
{
    RunState& run = m_ctx.run;
    m_ctx.timers.timer3.setInterval(kFlashInterval);
    const bool overtimeClock = run.phase == int(AlertPhase::Five) && m_ctx.stageEndAction() == EndAction::Overtime &&
                               m_ctx.stage.showOvertimeClock();
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
    const StageSettings& stage = m_ctx.stage;
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
    if (m_ctx.stage.restartAfterDelay() && run.restartDelay > 0) {
        m_ctx.timers.timer11.start();
        --run.restartDelay;
        m_ctx.screen.showRestartDelay(run.restartDelay);
        return;
    }
    m_ctx.timers.timer3.stop();
    m_ctx.screen.showRestartDelay(0);
    m_control.StartRun();
}

void PhaseTicker::longTermStart()
{
    RunState& run = m_ctx.run;
    RunTimers& timers = m_ctx.timers;
    const StageSettings& stage = m_ctx.stage;
    timers.timer9.stop();
    const QDateTime now = m_ctx.time.now();
    run.setDuration = now.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    run.accumulatedMs.fill(0);
    run.stageLabel = QDateTime(stage.time_date, stage.Time_all).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    run.endAction = static_cast<int>(m_ctx.stageEndAction());
    run.finished = false;
    run.activeCounter = 0;
    run.phase = int(AlertPhase::Start);
    m_ctx.markStart();
    m_ctx.screen.refreshStage(stage, QString());
    longTermTick();
    if (run.finished)
        return; // the date had already passed
    timers.timer10.start();
    m_ctx.screen.setMarqueeRunning(true);
    timers.timer3.stop();
    timers.timer4.stop();
    m_ctx.setStatus(RunStatus::Running);
    if (stage.phaseEffect(PhaseEffect::PlaySound, AlertPhase::Start))
        m_ctx.sound.PlaySoundFile(m_ctx.soundOf(AlertPhase::Start));
}

void PhaseTicker::longTermTick()
{
    const StageSettings& stage = m_ctx.stage;
    const QDateTime now = m_ctx.time.now();
    const int format = stage.choices().formatIndex;
    if (stage.time_date == kNoDate) {
        // No due date: the long-term display shows today's date and the time.
        const QString date =
            now.date().toString(format <= 2 ? QStringLiteral("yyyy年MM月dd日") : QStringLiteral("yyyy-MM-dd"));
        const QTime t = now.time();
        m_ctx.screen.showLongTerm(date, formatLongTerm(0, t.hour(), t.minute(), t.second(), format).clock);
        return;
    }
    // Whole-second boundaries between now and the target, as a wall clock counts them.
    const qint64 s = QDateTime(stage.time_date, stage.Time_all).toSecsSinceEpoch() - now.toSecsSinceEpoch();
    if (s <= 0) {
        finishLongTerm(qint64(m_ctx.run.startTimeOfDay.isValid() ? timeSinceMark(m_ctx) : 0));
        return;
    }
    const qint64 days = s / 86'400;
    const qint64 rest = s - days * 86'400;
    const LongTermText text =
        formatLongTerm(int(days), int(rest / 3600), int(rest % 3600 / 60), int(rest % 60), format);
    m_ctx.screen.showLongTerm(text.dateLine, text.clock);
}

void PhaseTicker::finishLongTerm(qint64 runMs)
{
    // The due date is reached: the run closes at once, as the overtime limit closes a run.
    RunState& run = m_ctx.run;
    const StageSettings& stage = m_ctx.stage;
    run.finished = true;
    run.activeCounter = 1;
    run.accumulatedMs[1] = runMs;
    startEndPhase();
    if (stage.phaseEffect(PhaseEffect::ShowText, AlertPhase::End)) {
        m_ctx.timers.timer7.stop();
        m_ctx.screen.setPromptVisible(false);
        m_ctx.screen.showEndText(stage.textend);
    }
    m_ctx.screen.showLongTerm(QStringLiteral("0天"), QString());
    writeRecordAndStopCounters();
    m_ctx.timers.timer9.stop();
    m_ctx.timers.timer10.stop();
    if (m_ctx.status == RunStatus::Idle)
        m_ctx.setStatus(RunStatus::Running); // the commands follow the run that just ended
    m_control.StopRun();
}

} // namespace melvanta
