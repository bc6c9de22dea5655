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
#include "timing/RunEngine.h"
#include "timing/SoundPlayer.h"
#include "timing/TimeSource.h"
#include "timing/TimingRecordWriter.h"

#include <QApplication>
#include <QMenu>

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
    m_menuHost->load(m_stage);
    m_clockWindow = std::make_unique<ClockWindow>();
    m_clockWindow->setMenuHost(m_menuHost.get());
    m_clockWindow->applyStage(m_stage);

    m_time = std::make_unique<SystemTimeSource>();
    m_sound = std::make_unique<SoundPlayer>();
    m_records = std::make_unique<TimingRecordWriter>(*m_registry, folder + QLatin1String(kDatabaseFileName));
    m_engine = std::make_unique<RunEngine>(*m_time, *m_clockWindow, *m_sound, *m_records, *m_registry,
                                           folder + QLatin1String(kProfileFileName));
    m_engine->load(m_stage, m_menuHost->timingSource());
    wireCommands();
    m_clockWindow->showMaximized();
    return Start::WindowsShown;
}

void Application::wireCommands()
{
    // The buttons are the first three commands, then "设置" and "退出".
    static constexpr int kButtonCommands[] = {MenuHost::Start, MenuHost::Stop, MenuHost::Pause, MenuHost::Settings,
                                              MenuHost::Exit};
    QObject::connect(m_clockWindow.get(), &ClockWindow::buttonClicked, m_clockWindow.get(), [this](int button) {
        if (button >= 0 && button < int(std::size(kButtonCommands)))
            runCommand(kButtonCommands[button]);
    });
    QObject::connect(m_menuHost.get(), &MenuHost::commandChosen, m_menuHost.get(),
                     [this](int index) { runCommand(index); });
    MenuHost* host = m_menuHost.get();
    QObject::connect(m_clockWindow.get(), &ClockWindow::commandMenuRequested, host,
                     [host](const QPoint& pos) { host->commandMenu()->popup(pos); });
}

void Application::runCommand(int index)
{
    switch (index) {
    case MenuHost::Start:
        m_engine->StartRun();
        break;
    case MenuHost::Stop:
        m_engine->StopRun();
        break;
    case MenuHost::Pause:
        m_engine->PauseRun();
        break;
    case MenuHost::Settings:
    case MenuHost::BackgroundSettings:
    case MenuHost::Statistics:
        MessageBox::notify(QStringLiteral("此窗口在本版本中尚未提供"), 2000, m_clockWindow.get());
        break;
    case MenuHost::Exit:
        // The windows are released in order once the event loop has ended.
        QCoreApplication::quit();
        break;
    default:
        break;
    }
}

void Application::shutdown()
{
    m_engine.reset();
    m_clockWindow.reset();
    m_menuHost.reset();
    m_records.reset();
    m_sound.reset();
    m_time.reset();
    m_registry.reset();
    m_instance.reset();
}

} // namespace melvanta
