#pragma once

#include <QPointer>
#include <QString>

#include <memory>

namespace melvanta {

class ClockWindow;
class CurrentStage;
class GlobalHotkeys;
class HotkeyControl;
struct HotkeyAction;
class MenuHost;
class ProgramStores;
class RunEngine;
class ScreenAwake;
class RecordsWindow;
class SettingsDialog;
class SingleInstance;
struct SettingsEntries;
class TerminationSignals;
class SoundPlayer;
class StageMenuList;
class RemoteRunControl;
class RemoteServer;
class ClockAdjuster;
class TimeSource;
class TrayIcon;
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
    // `time`: where runs read the time instead of the machine's clocks
    // (tests give a clock they move themselves).
    explicit Application(std::unique_ptr<TimeSource> time);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    Start start();
    // Releases what the start registered, clock window first.
    void shutdown();

    // A command of the command menu by its position, from anywhere but the
    // menu itself (buttons, hotkeys, tray): a check item toggles first, as
    // choosing it in the menu does.
    void runCommand(int index);
    // The settings dialog's apply: checks the entries (each message shown),
    // ends a run under way as " 停止 " does, stores the stage and the profile
    // keys and shows the stage, idle. False when a check failed: nothing
    // changed then.
    bool applySettings(const SettingsEntries& entries);

    ClockWindow* clockWindow() const { return m_clockWindow.get(); }
    MenuHost* menuHost() const { return m_menuHost.get(); }
    RemoteServer* remoteServer() const { return m_remote.get(); }
    RunEngine* engine() const { return m_engine.get(); }
    CurrentStage* currentStage() const { return m_stage.get(); }
    ProgramStores* stores() const { return m_stores.get(); }
    ScreenAwake* screenAwake() const { return m_screenAwake.get(); }
    TimingRecordWriter* records() const { return m_records.get(); }
    HotkeyControl* hotkeys() const { return m_hotkeyControl.get(); }
    TrayIcon* tray() const { return m_tray.get(); }
    // The settings dialog while it is open, else null.
    SettingsDialog* settingsDialog() const;
    // The records window while it is open, else null.
    RecordsWindow* recordsWindow() const;

private:
    void wireCommands();
    void wireServices();
    void setUpHotkeys();
    void actOnHotkey(const HotkeyAction& action);
    // The stage count or the keys may have changed.
    void resetHotkeys();
    // A command-menu item whose check mark (if it has one) is already set.
    void dispatchCommand(int index);
    void chooseStage(int index);
    void endRunUnderWay();
    void openSettings();
    void openRecords();
    void moveToExtendedScreen();
    void bringToFront();
    void followExtendedScreen();
    // The network remote, when the profile turns it on.
    void startRemote();
    // "网络遥控…": the links and QR codes for the phones.
    void openRemoteJoin();
    void exitProgram();

    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<ProgramStores> m_stores;
    std::unique_ptr<CurrentStage> m_stage;
    std::unique_ptr<TimeSource> m_time;
    std::unique_ptr<SoundPlayer> m_sound;
    std::unique_ptr<TimingRecordWriter> m_records;
    std::unique_ptr<MenuHost> m_menuHost;
    std::unique_ptr<ClockWindow> m_clockWindow;
    std::unique_ptr<ClockAdjuster> m_adjuster; // the settings dialog's hands on the clock window
    std::unique_ptr<StageMenuList> m_stageList;
    std::unique_ptr<RunEngine> m_engine;
    std::unique_ptr<ScreenAwake> m_screenAwake;
    std::unique_ptr<TerminationSignals> m_termination;
    std::unique_ptr<GlobalHotkeys> m_globalHotkeys;
    std::unique_ptr<HotkeyControl> m_hotkeyControl;
    std::unique_ptr<TrayIcon> m_tray;
    std::unique_ptr<RemoteRunControl> m_remoteControl;
    std::unique_ptr<RemoteServer> m_remote;
    QString m_previewSound; // the sound the settings dialog plays to listen to
    QString m_bigClock;     // the profile's colckbigtext as read at the start
    QPointer<SettingsDialog> m_settings;
    QPointer<RecordsWindow> m_recordsWindow;
    bool m_exiting = false;
};

} // namespace melvanta
