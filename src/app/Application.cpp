#include "app/Application.h"

#include "app/RemoteJoinWindow.h"
#include "app/RemoteRunControl.h"
#include "app/StageMenuList.h"
#include "core/CurrentStage.h"
#include "core/ProgramFolder.h"
#include "display/ClockAdjuster.h"
#include "display/ClockWindow.h"
#include "display/ExtendedScreen.h"
#include "display/FirstRunFit.h"
#include "display/MenuHost.h"
#include "display/ProgramIcon.h"
#include "input/HotkeyControl.h"
#include "input/TrayIcon.h"
#include "platform/GlobalHotkeys.h"
#include "platform/ScreenAwake.h"
#include "records/RecordsWindow.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "remote/RemoteConfig.h"
#include "remote/RemoteKey.h"
#include "remote/RemoteServer.h"
#include "settings/BackgroundWindow.h"
#include "settings/SettingsDialog.h"
#include "settings/SettingsEntries.h"
#include "storage/ElementPositionStore.h"
#include "storage/ProgramStores.h"
#include "storage/RegistryStore.h"
#include "storage/StageSettingsStore.h"
#include "storage/StartupGate.h"
#include "storage/UnsavedProfileChanges.h"
#include "storage/UserDataFolder.h"
#include "support/MessageBox.h"
#include "support/ShellOpen.h"
#include "timing/RunEngine.h"
#include "timing/SoundPlayer.h"
#include "timing/TimeSource.h"
#include "timing/TimingRecordWriter.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QScreen>
#include <QTimer>

namespace melvanta {

namespace {

// How long a display that was just plugged in or removed gets to settle.
constexpr int kScreenSettleMs = 500;

// Maximised, or filling its display as maximised: some window managers fill
// the display without reporting the window as maximised.
bool isMaximisedWindow(const QWidget& window)
{
    if (window.isMinimized())
        return false;
    const QScreen* screen = window.screen();
    return window.isMaximized() || (screen && window.frameGeometry().contains(screen->availableGeometry()));
}

} // namespace

Application::Application() = default;

Application::Application(std::unique_ptr<TimeSource> time) : m_time(std::move(time))
{}

Application::~Application()
{
    shutdown();
}

Application::Start Application::start()
{
    // The session's end closes the program as "退出" does. Caught before the
    // lock is made, so that a SIGTERM during the start still removes it: the
    // request waits for an event loop, the main one or a start-up message's.
    m_termination = std::make_unique<TerminationSignals>();
    QObject::connect(m_termination.get(), &TerminationSignals::terminationRequested, m_termination.get(), [this] {
        if (m_exiting)
            return;
        if (m_engine)
            exitProgram();
        else
            QCoreApplication::exit(0); // ends the message's loop too
    });
    const FolderChoice where = ProgramFolder::choice();
    const QString& folder = where.folder;
    // An installed copy's per-user folder is made and filled before anything
    // (the lock among them) is put into it.
    QString folderNotice;
    if (where.perUser) {
        const FolderPreparation prepared = UserDataFolder(folder, where.shippedFolder).prepare();
        if (!prepared.usable) {
            MessageBox::inform(prepared.message);
            return Start::GateFailed;
        }
        folderNotice = prepared.message;
    }
    m_instance = std::make_unique<SingleInstance>(folder);
    if (m_instance->claim() == SingleInstance::Claim::RunningElsewhere)
        return Start::AlreadyRunning;

    m_stores = std::make_unique<ProgramStores>(folder);
    // The gate comes before anything touches the profile file: a damaged one
    // is set aside unread.
    const GateOutcome gate = runStartupGate(m_stores->registry(), folder, kProgramVersion, where.shippedFolder);
    if (!gate.pass) {
        MessageBox::inform(gate.message);
        return Start::GateFailed;
    }
    m_bigClock = m_stores->profile().readPart(QStringLiteral("Marquee"), QStringLiteral("colckbigtext"), "0");
    // The marquee starts from its first row at every start.
    m_stores->profile().deletePart(QStringLiteral("Marquee"), QStringLiteral("currentrow"));

    // The per-user store holds the current stage between two starts; from
    // here on the program keeps it in one place.
    StageSettings stage = LoadStageSettings(m_stores->registry());
    // A fresh installation's sizes fit the screen it starts on; they are stored
    // only once the operator saves a stage.
    if (!HoldsStageSettings(m_stores->registry()))
        stage = fitFirstRunStage(stage, QGuiApplication::primaryScreen()->availableSize());
    m_stage = std::make_unique<CurrentStage>(stage);
    m_menuHost = std::make_unique<MenuHost>();
    m_menuHost->load(*m_stores, m_stage->get());
    m_clockWindow = std::make_unique<ClockWindow>(*m_stores, *m_stage);
    m_clockWindow->setWindowIcon(programIcon());
    m_clockWindow->setMenuHost(m_menuHost.get());
    m_clockWindow->applyStage(m_stage->get());
    // The stored button state is known once the stage is applied.
    m_menuHost->commandItem(MenuHost::Buttons)->setChecked(m_clockWindow->buttonsShown());

    if (!m_time)
        m_time = std::make_unique<SystemTimeSource>();
    m_sound = std::make_unique<SoundPlayer>();
    m_records = std::make_unique<TimingRecordWriter>(m_stores->registry(), m_stores->databasePath());
    m_engine = std::make_unique<RunEngine>(*m_time, *m_stage, *m_clockWindow, *m_sound, *m_records,
                                           m_stores->registry(), m_stores->profile().filePath());
    m_stageList = std::make_unique<StageMenuList>(*m_menuHost, *m_stores, *m_stage, *m_clockWindow);
    m_engine->setStageList(m_stageList.get());
    m_engine->load(m_menuHost->timingSource());
    wireCommands();
    wireServices();
    m_clockWindow->showMaximized();
    m_tray = std::make_unique<TrayIcon>();
    m_tray->AddTrayIcon(m_clockWindow->windowIcon(), m_menuHost->commandMenu());
    m_tray->SetTrayTip(m_clockWindow->windowTitle());
    setUpHotkeys();
    startRemote();
    // A lock that cannot be used does not keep the clock from the room.
    if (!m_instance->problem().isEmpty())
        MessageBox::notice(m_instance->problem(), 10000, m_clockWindow.get());
    if (!folderNotice.isEmpty())
        MessageBox::notice(folderNotice, 10000, m_clockWindow.get());
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
    MenuHost* host = m_menuHost.get();
    QObject::connect(host, &MenuHost::commandChosen, host, [this](int index) { dispatchCommand(index); });
    QObject::connect(host, &MenuHost::stageChosen, host, [this](int index) { chooseStage(index); });
    QObject::connect(m_clockWindow.get(), &ClockWindow::commandMenuRequested, host,
                     [host](const QPoint& pos) { host->commandMenu()->popup(pos); });
}

void Application::wireServices()
{
    // While a run is running or paused the screen never blanks.
    m_screenAwake = ScreenAwake::create();
    QObject::connect(m_engine.get(), &RunEngine::statusChanged, m_engine.get(), [this](RunStatus status) {
        if (status == RunStatus::Running || status == RunStatus::Paused)
            m_screenAwake->hold();
        else
            m_screenAwake->release();
    });
    // A record that must wait for its database is said once, without stopping anything.
    ClockWindow* window = m_clockWindow.get();
    QObject::connect(m_records.get(), &TimingRecordWriter::recordDeferred, window,
                     [window](const QString& message) { MessageBox::notice(message, 5000, window); });
    QObject::connect(m_records.get(), &TimingRecordWriter::damagedDatabaseReplaced, window,
                     [window](const QString& asidePath) {
                         MessageBox::notice(QStringLiteral("数据库文件已损坏，已另存为 %1 并新建数据库").arg(asidePath),
                                            8000, window);
                     });
    QObject::connect(m_records.get(), &TimingRecordWriter::recordsUnsaved, window,
                     [window](const QString& message) { MessageBox::notice(message, 8000, window); });
    // A setting the profile file refuses holds until the program ends; the
    // operator hears of it once per file, also of a refusal during the start.
    UnsavedProfileChanges::setListener([window](const QString& path, const QString& reason) {
        MessageBox::notice(
            QStringLiteral("无法保存设置到 %1（%2），本次运行中保留修改，程序退出后将丢失").arg(path, reason), 8000,
            window);
    });
    // A second start for this folder brings this copy to the front.
    QObject::connect(m_instance.get(), &SingleInstance::frontRequested, window, [this] { bringToFront(); });
    // What an earlier run of the program could not store yet goes in now.
    m_records->storePending();
    followExtendedScreen();
}

void Application::setUpHotkeys()
{
    m_globalHotkeys = GlobalHotkeys::create();
    HotkeyControl::Hooks hooks;
    hooks.profile = [this] {
        return readHotkeyProfile(m_stores->profile(), QFileInfo::exists(m_stores->profile().filePath()));
    };
    hooks.caption = [this](int item) { return m_menuHost->commandItem(item)->text(); };
    hooks.setCaption = [this](int item, const QString& caption) { m_menuHost->commandItem(item)->setText(caption); };
    hooks.stageCount = [this] { return int(m_menuHost->stageEntries().size()); };
    hooks.startEnabled = [this] { return m_menuHost->commandItem(MenuHost::Start)->isEnabled(); };
    hooks.act = [this](const HotkeyAction& action) { actOnHotkey(action); };
    // Told without waiting: the clock is up and counts meanwhile.
    hooks.report = [this](const QString& message) { MessageBox::post(message, m_clockWindow.get()); };
    m_hotkeyControl = std::make_unique<HotkeyControl>(*m_globalHotkeys, std::move(hooks));
    m_hotkeyControl->Hotkey_set();
}

void Application::actOnHotkey(const HotkeyAction& action)
{
    switch (action.kind) {
    case HotkeyAction::Start:
        dispatchCommand(MenuHost::Start);
        break;
    case HotkeyAction::Stop:
        dispatchCommand(MenuHost::Stop);
        break;
    case HotkeyAction::Pause:
        dispatchCommand(MenuHost::Pause);
        break;
    case HotkeyAction::ChooseStage:
        if (action.stageIndex >= 0 && action.stageIndex < m_menuHost->stageEntries().size())
            chooseStage(action.stageIndex);
        break;
    case HotkeyAction::StartOrStop:
    case HotkeyAction::None:
        break;
    }
}

void Application::startRemote()
{
    m_remote.reset();
    const RemoteConfig config = RemoteConfig::read(m_stores->profile());
    if (!config.enabled)
        return;
    if (!m_remoteControl)
        m_remoteControl = std::make_unique<RemoteRunControl>(*m_engine, *m_menuHost, *m_stageList, *m_clockWindow,
                                                             [this](int index) { chooseStage(index); });
    m_remote = std::make_unique<RemoteServer>(*m_remoteControl, RemoteKey::current(m_stores->registry()));
    QString error;
    if (!m_remote->start(config, &error)) {
        m_remote.reset();
        // The clock goes on without the remote; the operator is told once, without waiting.
        MessageBox::post(error + QStringLiteral("\n程序照常运行，但没有网络遥控。"), m_clockWindow.get());
    }
}

void Application::openRemoteJoin()
{
    const RemoteConfig config = RemoteConfig::read(m_stores->profile());
    RemoteJoinWindow::Hooks hooks;
    hooks.listening = m_remote != nullptr;
    hooks.port = m_remote ? m_remote->port() : config.port;
    hooks.loopbackOnly = config.loopbackOnly;
    hooks.key = [this] { return RemoteKey::current(m_stores->registry()); };
    hooks.renewKey = [this] {
        const QString key = RemoteKey::renew(m_stores->registry());
        if (m_remote)
            m_remote->setKey(key);
        return key;
    };
    auto* window = new RemoteJoinWindow(std::move(hooks), m_clockWindow.get());
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->open();
}

void Application::resetHotkeys()
{
    if (!m_hotkeyControl)
        return;
    m_hotkeyControl->hotkey_del();
    m_hotkeyControl->Hotkey_set();
}

void Application::followExtendedScreen()
{
    // With "扩展屏显示" on, the clock goes to the primary display while the
    // extended one is unplugged and back to it when it returns. The display
    // settles its place and size a moment after it is announced.
    auto replace = [this] {
        QAction* item = m_menuHost ? m_menuHost->commandItem(MenuHost::ExtendedScreen) : nullptr;
        if (m_exiting || !item || !item->isChecked())
            return;
        const bool extendedPresent = QGuiApplication::screens().size() > 1;
        placeOnExtendedScreen(*m_clockWindow, extendedPresent);
    };
    ClockWindow* window = m_clockWindow.get();
    for (auto signal : {&QGuiApplication::screenAdded, &QGuiApplication::screenRemoved})
        QObject::connect(qGuiApp, signal, window,
                         [window, replace] { QTimer::singleShot(kScreenSettleMs, window, replace); });
}

void Application::runCommand(int index)
{
    if (m_exiting || !m_menuHost)
        return;
    QAction* item = index >= 0 && index < MenuHost::CommandItemCount ? m_menuHost->commandItem(index) : nullptr;
    if (!item)
        return;
    if (item->isCheckable())
        item->setChecked(!item->isChecked());
    dispatchCommand(index);
}

bool Application::applySettings(const SettingsEntries& entries)
{
    if (m_exiting || !m_engine)
        return false;
    AppliedStage applied = stageFromEntries(entries);
    const QString remoteMessage = remoteEntryMessage(entries);
    if (!remoteMessage.isEmpty())
        applied.messages << remoteMessage;
    for (const QString& message : applied.messages)
        MessageBox::inform(message, QApplication::activeModalWidget());
    if (!applied.accepted())
        return false;
    const RemoteConfig remoteBefore = RemoteConfig::read(m_stores->profile());
    endRunUnderWay();
    SaveStageSettings(m_stores->registry(), applied.stage);
    writeProfileEntries(entries, m_stores->profile(), m_bigClock);
    const RemoteConfig remoteAfter = RemoteConfig::read(m_stores->profile());
    if (remoteAfter.enabled != remoteBefore.enabled || remoteAfter.port != remoteBefore.port ||
        remoteAfter.loopbackOnly != remoteBefore.loopbackOnly)
        startRemote();
    m_stage->replace(applied.stage);
    // The stage on screen is no longer one of the stored stages.
    m_menuHost->checkStageEntry(-1);
    // The window shows the stage, idle, without starting a run.
    m_engine->stageChosen();
    return true;
}

void Application::endRunUnderWay()
{
    // A new stage never drops a run silently: it ends with its record, as
    // " 停止 " ends it.
    if (m_engine->status() == RunStatus::Running || m_engine->status() == RunStatus::Paused)
        m_engine->StopRun();
}

SettingsDialog* Application::settingsDialog() const
{
    return m_settings.data();
}

void Application::openSettings()
{
    // One dialog at a time: a second request brings the open one forward.
    if (m_settings) {
        m_settings->raise();
        m_settings->activateWindow();
        return;
    }
    const SettingsEntries entries = fillEntries(m_stage->get(), m_stores->profile(), m_stores->registry());
    SettingsDialog::Hooks hooks;
    hooks.apply = [this](const SettingsEntries& applied) {
        const bool done = applySettings(applied);
        resetHotkeys();
        return done;
    };
    hooks.autoCycleChanged = [this](bool on) {
        m_stores->profile().write(QStringLiteral("Marquee"), QStringLiteral("checkcycle"),
                                  on ? QStringLiteral("1") : QStringLiteral("0"));
        // Cycling goes on from the checked stage, chosen again; a run under
        // way is not ended for a switch in the settings.
        const int checked = m_stageList->checkedIndex();
        const RunStatus status = m_engine->status();
        if (checked >= 0 && status != RunStatus::Running && status != RunStatus::Paused)
            chooseStage(checked);
    };
    hooks.previewSound = [this](const QString& name) {
        if (!m_previewSound.isEmpty())
            m_sound->StopSoundFile(m_previewSound);
        m_previewSound = name.isEmpty() ? QString() : ProgramFolder::sound(name);
        if (!m_previewSound.isEmpty())
            m_sound->PlaySoundFile(m_previewSound);
    };
    if (!m_adjuster)
        m_adjuster = std::make_unique<ClockAdjuster>(*m_clockWindow);
    hooks.screen = m_adjuster.get();
    hooks.simpleModeChanged = [this](bool on) {
        m_stores->registry().setNumber(QLatin1String(RegistryValue::simple), on ? 1 : 0);
    };
    hooks.databasePath = m_stores->databasePath();
    hooks.storedStage = [this] { return LoadStageSettings(m_stores->registry()); };
    hooks.stagesChanged = [this] {
        m_menuHost->change_clock_menu();
        resetHotkeys();
    };
    m_settings = new SettingsDialog(entries, std::move(hooks), m_clockWindow.get());
    m_settings->setAttribute(Qt::WA_DeleteOnClose);
    // The capture boxes need the keys the hotkeys would take.
    m_hotkeyControl->suspend();
    QObject::connect(m_settings, &QObject::destroyed, m_hotkeyControl.get(), [this] {
        if (!m_exiting)
            m_hotkeyControl->resume();
    });
    m_settings->show();
    m_settings->raise();
    m_settings->activateWindow();
}

void Application::openRecords()
{
    if (m_recordsWindow) {
        m_recordsWindow->raise();
        m_recordsWindow->activateWindow();
        return;
    }
    // A record that is just on its way appears in the list; a held database
    // delays the window by half a second at most.
    m_records->waitUntilStored(500);
    m_recordsWindow = new RecordsWindow(m_stores->databasePath(), m_stores->registry(), m_clockWindow.get());
    m_recordsWindow->setAttribute(Qt::WA_DeleteOnClose);
    m_recordsWindow->show();
    m_recordsWindow->raise();
    m_recordsWindow->activateWindow();
}

RecordsWindow* Application::recordsWindow() const
{
    return m_recordsWindow.data();
}

void Application::chooseStage(int index)
{
    if (m_exiting || !m_engine)
        return;
    endRunUnderWay();
    m_stageList->choose(index);
    m_engine->stageChosen();
}

void Application::dispatchCommand(int index)
{
    // After "退出" nothing runs any more: the windows are going.
    if (m_exiting || !m_engine)
        return;
    QAction* item = index >= 0 && index < MenuHost::CommandItemCount ? m_menuHost->commandItem(index) : nullptr;
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
        // With Ctrl held down it is the tutorial on the web instead.
        if (QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier) {
            OpenWithShell(QLatin1String(kOnlineTutorialAddress));
            break;
        }
        openSettings();
        break;
    case MenuHost::Statistics:
        openRecords();
        break;
    case MenuHost::BackgroundSettings: {
        // One at a time, modal over the clock window it changes.
        auto* window = m_clockWindow->findChild<BackgroundWindow*>(QString(), Qt::FindDirectChildrenOnly);
        if (!window || !window->isVisible()) {
            window = new BackgroundWindow(*m_clockWindow);
            window->setAttribute(Qt::WA_DeleteOnClose);
        }
        window->open();
        window->raise();
        window->activateWindow();
        break;
    }
    case MenuHost::RemoteJoin:
        openRemoteJoin();
        break;
    case MenuHost::AllowAdjusting:
        m_clockWindow->SetAdjustMode(item->isChecked() ? 1 : 0);
        break;
    case MenuHost::Buttons: {
        const bool shown = item->isChecked();
        m_clockWindow->setButtonsShown(shown);
        SaveElementPosition(kButtonStateElement, shown ? 1 : 2, 0, m_stores->profile().filePath(),
                            m_stores->registry());
        break;
    }
    case MenuHost::ExtendedScreen:
        moveToExtendedScreen();
        break;
    case MenuHost::Minimise:
        if (isMaximisedWindow(*m_clockWindow))
            m_clockWindow->showMinimized();
        else
            m_clockWindow->showMaximized();
        m_menuHost->setWindowMinimised(m_clockWindow->isMinimized());
        break;
    case MenuHost::Help:
        OpenHelpFile();
        break;
    case MenuHost::OnlineHelp:
        OpenWithShell(QLatin1String(kOnlineHelpAddress));
        break;
    case MenuHost::Exit:
        exitProgram();
        break;
    default:
        // "复位", the separators and the stage submenu itself do nothing.
        break;
    }
}

void Application::bringToFront()
{
    if (m_exiting)
        return;
    if (m_clockWindow->isMinimized())
        m_clockWindow->showMaximized();
    m_clockWindow->raise();
    m_clockWindow->activateWindow();
    m_menuHost->setWindowMinimised(m_clockWindow->isMinimized());
}

void Application::moveToExtendedScreen()
{
    QAction* item = m_menuHost->commandItem(MenuHost::ExtendedScreen);
    if (!placeOnExtendedScreen(*m_clockWindow, item->isChecked())) {
        MessageBox::inform(QStringLiteral("没有连接扩展屏，请确认"), m_clockWindow.get());
        item->setChecked(false);
    }
}

void Application::exitProgram()
{
    // Whatever the run was doing, nothing may fire or sound once the windows
    // are gone. The windows close in their order now and are released, in the
    // same order, when the event loop has ended (shutdown()).
    m_exiting = true;
    if (m_hotkeyControl)
        m_hotkeyControl->hotkey_del();
    if (m_tray)
        m_tray->DelTrayIcon();
    m_engine->halt();
    m_sound->stopAll();
    m_screenAwake->release();
    m_clockWindow->hide();
    m_menuHost->hide();
    QCoreApplication::exit(0);
}

void Application::shutdown()
{
    m_termination.reset();
    UnsavedProfileChanges::setListener({}); // it shows its notices on the clock window
    m_screenAwake.reset();
    m_hotkeyControl.reset();
    m_globalHotkeys.reset();
    m_tray.reset();
    // A record that is still on its way gets a moment; one that cannot be
    // stored now stays in the pending file for the next start (or, when
    // that file refuses it too, is lost; the operator was told).
    if (m_records)
        m_records->waitUntilStored(1000);
    m_remote.reset();
    m_remoteControl.reset();
    m_engine.reset();
    m_stageList.reset();
    m_adjuster.reset();
    m_clockWindow.reset();
    m_menuHost.reset();
    m_records.reset();
    m_sound.reset();
    m_time.reset();
    m_stage.reset();
    m_stores.reset();
    m_instance.reset();
}

} // namespace melvanta
