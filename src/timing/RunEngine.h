#pragma once

#include "timing/PhaseTicker.h"
#include "timing/RunContext.h"
#include "timing/RunController.h"

#include <QObject>

namespace melvanta {

// The timing engine of the clock window: owns the run record and the
// timers, runs the current stage and wires the timers to their handlers. It
// knows the screen, the sounds and the records only through narrow
// interfaces.
class RunEngine : public QObject
{
    Q_OBJECT
public:
    RunEngine(const TimeSource& time, CurrentStage& stage, ClockScreen& screen, SoundOutput& sound, RecordSink& records,
              RegistryStore& registry, const QString& profilePath, QObject* parent = nullptr);

    // Takes the timing source (`clockmode`); a long-term stage starts
    // counting towards its date by itself.
    void load(int timingSource);
    void setStageList(StageList* stages) { m_ctx.stages = stages; }

    void StartRun() { m_control.StartRun(); }
    void StopRun() { m_control.StopRun(); }
    void ClearRun() { m_control.ClearRun(); }
    void PauseRun() { m_control.PauseRun(); }
    // More or less time for a countdown under way; false for any other run.
    bool addTime(int seconds) { return m_ticker.addTime(seconds); }
    // The main counter's elapsed time measured now, not at its last tick
    // (what others watching the clock count from).
    qint64 liveElapsedMs() const;
    // After the settings changed: show the current stage without a run.
    void reloadStage() { m_control.reloadStage(); }
    // A stage was chosen from the stage list.
    void stageChosen() { m_control.stageChosen(); }
    // Stops every timer for good, whatever the run was doing: the program is
    // ending and nothing may fire after its windows are gone.
    void halt();

    RunStatus status() const { return m_ctx.status; }
    const RunState& run() const { return m_ctx.run; }
    const StageSettings& stage() const { return m_ctx.stage(); }
    RunTimers& timers() { return m_ctx.timers; }
    const RunTimers& timers() const { return m_ctx.timers; }
    PhaseTicker& ticker() { return m_ticker; }
    RunController& control() { return m_control; }

Q_SIGNALS:
    // Idle, running, paused or cleared, as the commands show it.
    void statusChanged(RunStatus status);

private:
    RunContext m_ctx;
    RunController m_control;
    PhaseTicker m_ticker;
};

} // namespace melvanta
