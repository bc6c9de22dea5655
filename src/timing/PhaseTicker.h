#pragma once

#include <QString>

namespace melvanta {

struct RunContext;
class RunController;

// The tick handlers of a run: the main and overtime counters, the alert
// phases with their prompt texts, flashes, backgrounds and sounds, the end
// actions, the delayed restart and the long-term count towards a date.
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

    // `Label_change`: shows a run time text "hh:mm:ss" in the stage's format
    // on the main clock, or on the overtime clock while that one counts.
    void Label_change(const QString& runText);

private:
    void enterDuePhase(int remainingSecond);
    void enterPhase(int phase);
    void timeUp();
    void endOfTimeDisplay();
    void startEndPhase();
    void writeRecordAndStopCounters();
    void overtimeLimitReached();
    void finishLongTerm(qint64 runMs);
    QString wholeDurationText() const;
    int delaySeconds() const;

    RunContext& m_ctx;
    RunController& m_control;
};

} // namespace melvanta
