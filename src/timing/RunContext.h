#pragma once

#include "core/StageSettings.h"
#include "timing/CommandState.h"
#include "timing/RunState.h"
#include "timing/TickTimer.h"

#include <QString>

namespace melvanta {

class ClockScreen;
class RegistryStore;
class SoundOutput;
class StageList;
class TimeSource;
class TimingRecordWriter;

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

// Everything a run reads and touches: the stage, the run record, the
// commands' state, the timers and the services around the engine.
struct RunContext
{
    RunContext(const TimeSource& time, ClockScreen& screen, SoundOutput& sound, TimingRecordWriter& records,
               RegistryStore& registry, QString profilePath);

    const TimeSource& time;
    ClockScreen& screen;
    SoundOutput& sound;
    TimingRecordWriter& records;
    RegistryStore& registry;
    QString profilePath;
    StageList* stages = nullptr; // the stored stages, once the stage list exists

    StageSettings stage;
    RunState run;
    RunStatus status = RunStatus::Idle;
    bool reloadOnly = false; // the next deferred start only reloads the stage
    RunTimers timers;

    void setStatus(RunStatus status);
    bool underWay() const { return status == RunStatus::Running || status == RunStatus::Paused; }
    // The path of a phase's sound in the program's sounds folder.
    QString soundOf(AlertPhase phase) const;
    // Re-bases counting on the timing source: start mark and time of day.
    void markStart();
    // The time-up end action the stage chose.
    EndAction stageEndAction() const { return stage.choices().endAction; }
    bool countdown() const { return stage.choices().timingMode == 0; }
};

} // namespace melvanta
