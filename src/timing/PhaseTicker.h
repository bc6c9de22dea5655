#pragma once

#include <QString>

namespace melvanta {

struct RunContext;
class RunController;

// The tick handlers of a run: the main and overtime counters, the alert
// phases with their prompt texts, flashes, backgrounds and sounds, the end
// actions, the delayed restart and the long-term count towards a date.
// A counter's tick comes when the second it shows changes, not at a fixed
// pace, so that every second is shown for one second.
class PhaseTicker
{
public:
    PhaseTicker(RunContext& context, RunController& control);

    void mainTick();      // Timer1
    void overtimeTick();  // Timer4
    void flashTick();     // Timer3
    void promptTick();    // Timer7
    void restartTick();   // Timer11
    void longTermStart(); // Timer9
    void longTermTick();  // Timer10

    // The tick of the counter that runs now (main, overtime or long-term).
    void tickCounter();
    // Banks the running counter's time (measured by the tick just before)
    // and stops its timer: the run pauses.
    void bankCounter();
    // Starts the running counter's timer again for its next flip.
    void scheduleCounter();
    // Closes a run that a command stops: the time counted up to this moment
    // is banked, the record written and the counters stopped, quietly.
    void stopByCommand();

    // Moves the remaining time of a countdown under way by `seconds` (at
    // least one second stays). The alarm points keep their meaning as
    // remaining time: with more time, the phase goes back to the one that
    // time stands in, quietly, and its alarms come again; with less, the
    // next tick enters the alarm passed over. The set duration the record
    // keeps does not change. False when the run is no such countdown.
    bool addTime(int seconds);

    // `Label_change`: shows a run time text "hh:mm:ss" in the stage's format
    // on the main clock, or on the overtime clock while that one counts.
    void Label_change(const QString& runText);

private:
    void enterDuePhase(int shownSecond);
    void enterPhase(int phase);
    void timeUp();
    qint64 timeUpLateness() const;
    void endOfTimeDisplay();
    void startEndPhase();
    void showEndTextInsteadOfPrompt(bool evenWhenEmpty);
    bool closeRun();
    bool overtimeLimited() const;
    void overtimeLimitReached();
    void finishLongTerm();
    void showLongTermEnded();
    QString wholeDurationText() const;
    int nextMainDelay() const;
    int nextOvertimeDelay() const;
    int nextLongTermDelay() const;

    RunContext& m_ctx;
    RunController& m_control;
};

} // namespace melvanta
