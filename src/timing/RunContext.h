#pragma once

#include "core/CurrentStage.h"
#include "timing/CommandState.h"
#include "timing/RunState.h"
#include "timing/TickTimer.h"
#include "timing/TimeText.h"

#include <QDateTime>
#include <QString>

#include <functional>

namespace melvanta {

class ClockScreen;
class RegistryStore;
class SoundOutput;
class StageList;
class TimeSource;
class RecordSink;

// The timers of a run, named as the window has always named them.
struct RunTimers
{
    explicit RunTimers(const TimeSource& time);

    TickTimer timer1;  // main counter tick
    TickTimer timer3;  // flashing
    TickTimer timer4;  // overtime counter tick
    TickTimer timer5;  // deferred start, or reload after the settings change
    TickTimer timer7;  // prompt text of the current phase
    TickTimer timer9;  // deferred start of a long-term run
    TickTimer timer10; // long-term (due date) counter
    TickTimer timer11; // delay before an automatic restart
};

// Everything a run reads and touches: the current stage, the run record,
// the commands' state, the timers and the services around the engine.
struct RunContext
{
    RunContext(const TimeSource& time, CurrentStage& current, ClockScreen& screen, SoundOutput& sound,
               RecordSink& records, RegistryStore& registry, QString profilePath);

    const TimeSource& time;
    CurrentStage& current;
    ClockScreen& screen;
    SoundOutput& sound;
    RecordSink& records;
    RegistryStore& registry;
    QString profilePath;
    StageList* stages = nullptr; // the stored stages, once the stage list exists

    RunState run;
    RunStatus status = RunStatus::Idle;
    bool reloadOnly = false; // the next deferred start only reloads the stage
    // The due date whose long-term run has already been closed: a stage whose
    // date has passed is closed once and then only shows that it has ended.
    QDateTime closedLongTermTarget;
    RunTimers timers;
    std::function<void(RunStatus)> statusChanged;

    const StageSettings& stage() const { return current.get(); }
    void setStatus(RunStatus status);
    bool underWay() const { return status == RunStatus::Running || status == RunStatus::Paused; }
    // The path of a phase's sound in the program's sounds folder.
    QString soundOf(AlertPhase phase) const;
    // The time-up end action the stage chose.
    EndAction stageEndAction() const { return stage().choices().endAction; }
    bool countdown() const { return stage().choices().timingMode == int(TimingMode::Countdown); }
    bool systemTimeMode() const { return stage().choices().timingMode == int(TimingMode::SystemTime); }
};

} // namespace melvanta
