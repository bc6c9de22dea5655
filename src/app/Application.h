#pragma once

#include "core/StageSettings.h"

#include <memory>

namespace melvanta {

class ClockWindow;
class MenuHost;
class RegistryStore;
class SingleInstance;

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

    ClockWindow* clockWindow() const { return m_clockWindow.get(); }
    MenuHost* menuHost() const { return m_menuHost.get(); }
    const StageSettings& stage() const { return m_stage; }

private:
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<RegistryStore> m_registry;
    std::unique_ptr<MenuHost> m_menuHost;
    std::unique_ptr<ClockWindow> m_clockWindow;
    StageSettings m_stage;
};

} // namespace melvanta
