#pragma once

#include "core/StageSettings.h"

#include <memory>

namespace melvanta {

class ClockWindow;
class MenuHost;
class RegistryStore;
class RunEngine;
class SingleInstance;
class SoundPlayer;
class SystemTimeSource;
class TimingRecordWriter;

// The start-up and shutdown sequence: one copy per program folder, the
// remembered marquee row forgotten, the start-up gate, then the menu host
// and the clock window with the current stage.
class Application
{
public:
    enum class Start
    {
        WindowsShown,
        AlreadyRunning,
        GateFailed
    };

    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    Start start();
    // Releases what the start registered, clock window first.
    void shutdown();

    // A command of the command menu, by its position; the buttons and the
    // other inputs come here too.
    void runCommand(int index);

    ClockWindow* clockWindow() const { return m_clockWindow.get(); }
    MenuHost* menuHost() const { return m_menuHost.get(); }
    RunEngine* engine() const { return m_engine.get(); }
    const StageSettings& stage() const { return m_stage; }

private:
    void wireCommands();
    void moveToExtendedScreen();
    void exitProgram();

    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<RegistryStore> m_registry;
    std::unique_ptr<SystemTimeSource> m_time;
    std::unique_ptr<SoundPlayer> m_sound;
    std::unique_ptr<TimingRecordWriter> m_records;
    std::unique_ptr<MenuHost> m_menuHost;
    std::unique_ptr<ClockWindow> m_clockWindow;
    std::unique_ptr<RunEngine> m_engine;
    StageSettings m_stage;
    bool m_exiting = false;
};

} // namespace melvanta
