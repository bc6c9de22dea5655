#pragma once

#include "timing/PhaseTicker.h"
#include "timing/RunContext.h"
#include "timing/RunController.h"

#include <QObject>

namespace melvanta {

// The timing engine of the clock window: owns the run record, the timers
// and the stage being run, and wires the timers to their handlers. It knows
// the screen, the sounds and the records only through narrow interfaces.
class RunEngine : public QObject
{
    Q_OBJECT
public:
    RunEngine(const TimeSource& time, ClockScreen& screen, SoundOutput& sound, TimingRecordWriter& records,
              RegistryStore& registry, const QString& profilePath, QObject* parent = nullptr);

    // Takes the stage loaded at start-up and the timing source (`clockmode`);
    // a long-term stage starts counting towards its date by itself.
    void load(const StageSettings& stage, int timingSource);
    void setStageList(StageList* stages) { m_ctx.stages = stages; }

    void StartRun() { m_control.StartRun(); }
    void StopRun() { m_control.StopRun(); }
    void ClearRun() { m_control.ClearRun(); }
    void PauseRun() { m_control.PauseRun(); }
    // After the settings changed: reload and show the stage without a run.
    void reloadStage() { m_control.reloadStage(); }
    // Stops every timer for good, whatever the run was doing: the program is
    // ending and nothing may fire after its windows are gone.
    void halt();

    RunStatus status() const { return m_ctx.status; }
    const RunState& run() const { return m_ctx.run; }
    const StageSettings& stage() const { return m_ctx.stage; }
    RunTimers& timers() { return m_ctx.timers; }
    PhaseTicker& ticker() { return m_ticker; }
    RunController& control() { return m_control; }

private:
    RunContext m_ctx;
    RunController m_control;
    PhaseTicker m_ticker;
};

} // namespace melvanta
