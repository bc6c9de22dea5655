#include "app/Application.h"

#include "core/ProgramFolder.h"
#include "core/StartupGate.h"
#include "display/ClockWindow.h"
#include "display/MenuHost.h"
#include "platform/SingleInstance.h"
#include "storage/ProfileFile.h"
#include "storage/RegistryStore.h"
#include "storage/StageSettingsStore.h"
#include "support/MessageBox.h"

namespace melvanta {

Application::Application() = default;

Application::~Application()
{
    shutdown();
}

Application::Start Application::start()
{
    const QString folder = ProgramFolder::path();
    m_instance = std::make_unique<SingleInstance>(folder);
    if (!m_instance->acquire())
        return Start::AlreadyRunning;

    // The marquee starts from its first row at every start.
    ProfileFile(folder + QLatin1String(kProfileFileName))
        .deletePart(QStringLiteral("Marquee"), QStringLiteral("currentrow"));

    m_registry = std::make_unique<RegistryStore>();
    const GateOutcome gate = runStartupGate(*m_registry, folder);
    if (!gate.pass) {
        MessageBox::inform(gate.message);
        return Start::GateFailed;
    }

    m_menuHost = std::make_unique<MenuHost>();
    m_stage = LoadStageSettings(*m_registry);
    m_clockWindow = std::make_unique<ClockWindow>();
    m_clockWindow->applyStage(m_stage);
    m_clockWindow->showMaximized();
    return Start::WindowsShown;
}

void Application::shutdown()
{
    m_clockWindow.reset();
    m_menuHost.reset();
    m_registry.reset();
    m_instance.reset();
}

} // namespace melvanta
