#pragma once

#include "remote/RemoteControl.h"

#include <functional>

namespace melvanta {

class ClockWindow;
class MenuHost;
class RunEngine;
class StageList;

// The network remote's hands on the program: its commands go to the same
// run control as the buttons, hotkeys and tray, and its snapshot is read
// off the engine and the clock window.
class RemoteRunControl : public RemoteControl
{
public:
    // `chooseStage` chooses a stored stage as the stage menu does (a run
    // under way ends with its record first).
    RemoteRunControl(RunEngine& engine, MenuHost& menu, StageList& stages, ClockWindow& window,
                     std::function<void(int)> chooseStage);

    RemoteSnapshot snapshot() const override;
    QString execute(const RemoteCommand& command) override;
    bool isSettling() const override;

private:
    void start();
    QString chooseRelative(int step);
    void showMessage(const RemoteCommand& command);

    RunEngine& m_engine;
    MenuHost& m_menu;
    StageList& m_stages;
    ClockWindow& m_window;
    std::function<void(int)> m_chooseStage;
    QString m_message;
    bool m_messageFlashes = false;
    bool m_messageOnScreen = false;
};

} // namespace melvanta
