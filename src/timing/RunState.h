#pragma once

#include <QString>
#include <QTime>

#include <array>

namespace melvanta {

// The record of the current run, shared by run control, the tick handlers,
// the display and the record writer. Times are milliseconds unless said
// otherwise; array slots [0] are unused so that the indices read as named.
struct RunState
{
    static constexpr int kNoPrompt = 7;
    static constexpr int kFinishedAction = 5;

    int phase = kNoPrompt; // current alert phase, 7 = no prompt
    bool finished = false; // the run is closed: its record is written and its counters stopped
    int endAction = 0;     // 0 overtime, 1 stop, 2 reset, 3 next stage; 5 once stopped by hand
    bool longTerm = false; // the run counts towards a due date
    int totalSeconds = 0;
    qint64 totalMs = 0;
    std::array<int, 6> alarmSeconds{};     // [1..5]: alarm 1..3, final seconds, overtime limit
    int timingSource = 0;                  // 0 tick count, 1 seconds since midnight, 2 time of day
    qint64 startMark = 0;                  // reading of the timing source at the last (re)start
    QTime startTimeOfDay;                  // wall-clock time at the last (re)start
    int activeCounter = 0;                 // 0 main counter, 1 overtime counter
    std::array<qint64, 4> accumulatedMs{}; // [1] main, [2] overtime, [3] pauses
    std::array<qint64, 5> elapsedMs{};     // [1] main, [2] overtime
    qint64 counterMs = 0;                  // remaining (main counter) or overtime elapsed (overtime counter)
    int flashCount = 0;                    // half-periods of flashing still to show
    int promptRefreshCount = 0;
    int restartDelay = 0;          // seconds left before the delayed restart
    int delaySeconds = 0;          // `Delaytime` as read when the run started
    QString setDuration;           // the set duration for the timing record
    QString stageLabel;            // the stage label for the timing record
    bool labelIsStageName = false; // the label is a stored stage's name, not a time
    int lastCheckedSecond = 0;     // the last whole remaining second the main tick looked at

    // Where the wall clock and the tick count stood at the last measurement,
    // to tell a step of the wall clock from time passing.
    qint64 wallCheckTick = 0;
    qint64 wallCheckLocalMs = 0;
    bool wallCheckValid = false;

    // What the main counter has left, raised so that its whole seconds are
    // the remaining time rounded up: the whole duration shows for the first
    // whole second, each later second for a whole second, and the time is up
    // when the whole duration has passed.
    qint64 remainingMs() const { return qint64(totalSeconds) * 1000 + kShownSecondLeadMs - elapsedMs[1]; }
    static constexpr qint64 kShownSecondLeadMs = 999;
};

} // namespace melvanta
