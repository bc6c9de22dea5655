#pragma once

namespace melvanta {

struct RunContext;
class TickTimer;
enum class Counter;

// The start, stop, pause and clear commands and the deferred start that
// follows a start. The buttons, the menus, the hotkeys and the tray all
// come here, and so do the end actions of a run.
class RunController
{
public:
    explicit RunController(RunContext& context);

    // Start; in the cleared state it clears instead (and, for stages that
    // follow one another, moves to the next stage).
    void StartRun();
    // Stop a run that is under way; it ends at the counter's next tick.
    void StopRun();
    // Like StopRun, for the end action that moves to the next stage.
    void ClearRun();
    // Pause, or continue a paused run.
    void PauseRun();
    // Reload the stage and refresh the screen without starting a run.
    void reloadStage();

    // The second half of a start (`Timer5`): reload the stage, refresh the
    // screen and, unless only a reload was asked for, start counting.
    void deferredStart();

private:
    void finishRun();
    void moveToNextStage();
    // The timer of the counter that runs now (main, overtime or long-term).
    TickTimer& counterTimer();
    // Measures the active counter at this moment (elapsed and counter value).
    void measureCountedTime();

    RunContext& m_ctx;
};

} // namespace melvanta
