#pragma once

namespace melvanta {

struct RunContext;
class PhaseTicker;

// The start, stop, pause and clear commands and the deferred start that
// follows a start. The buttons, the menus, the hotkeys and the tray all
// come here, and so do the end actions of a run.
class RunController
{
public:
    explicit RunController(RunContext& context);
    // The tick handlers that count what this controller starts and stops.
    void setTicker(PhaseTicker& ticker) { m_ticker = &ticker; }

    // Start; in the cleared state it clears instead (and, for stages that
    // follow one another, moves to the next stage).
    void StartRun();
    // Stop a run that is under way. The run closes at once: its time is
    // banked at this moment and its record written.
    void StopRun();
    // Like StopRun, for the end action that moves to the next stage.
    void ClearRun();
    // Pause, or continue a paused run.
    void PauseRun();
    // Reload the stage and refresh the screen without starting a run. A run
    // under way is left alone: the stage it runs was fixed at its start.
    void reloadStage();
    // A stage was chosen from the stage list: it is shown (idle) unless a
    // run is under way, which goes on and hands over at its end.
    void stageChosen();

    // The second half of a start (`Timer5`): refresh the screen with the
    // current stage and, unless only a reload was asked for, start counting.
    void deferredStart();

private:
    void finishRun();
    void moveToNextStage();
    void clearToIdle();

    RunContext& m_ctx;
    PhaseTicker* m_ticker = nullptr;
};

} // namespace melvanta
