#pragma once

#include "settings/SettingsEntries.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QPushButton;
class QTabWidget;

namespace melvanta {

class AdjustableScreen;
class AlertsPage;
class AppearancePage;
class PrecisePage;
class SimpleModeView;
class StagePanel;
class DependentControls;
class SystemPage;
class TimingPage;

// The settings dialog: the current stage's timing, alerts, appearance,
// system and precise settings on five pages, with "应用" and "关闭".
// Nothing is stored until apply; apply hands the entries to the program,
// which checks them, and the dialog stays open either way.
class SettingsDialog : public QDialog
{
    Q_OBJECT
public:
    struct Hooks
    {
        // Checks and stores the entries; false when a check refused them.
        std::function<bool(const SettingsEntries&)> apply;
        // The switches that are stored as soon as they are clicked.
        std::function<void(bool)> autoCycleChanged;
        std::function<void(bool)> simpleModeChanged;
        // The stage list: its database, the per-user store's stage (a loaded
        // stage keeps its date line) and what follows a change of the list.
        QString databasePath;
        std::function<StageSettings()> storedStage;
        std::function<void()> stagesChanged;
        // Plays a sound of the "sounds" folder to listen to, after stopping the one before.
        std::function<void(const QString&)> previewSound;
        // What the adjustment tool moves on the clock window; none without a window.
        AdjustableScreen* screen = nullptr;
    };

    SettingsDialog(const SettingsEntries& entries, Hooks hooks, QWidget* parent = nullptr);
    ~SettingsDialog() override;

    // Fills every control from `entries` and settles the dependent controls.
    void fillsettings(const SettingsEntries& entries);
    // What the controls hold now, over the entries the dialog was filled from.
    SettingsEntries entries() const;
    // Runs apply as "应用" does; true when the entries were stored.
    bool applyEntries();

    TimingPage* timingPage() const { return m_timing; }
    AlertsPage* alertsPage() const { return m_alerts; }
    SystemPage* systemPage() const { return m_system; }
    AppearancePage* appearancePage() const { return m_appearance; }
    PrecisePage* precisePage() const { return m_precise; }
    QTabWidget* tabs() const { return m_tabs; }
    StagePanel* stagePanel() const { return m_stages; }
    QCheckBox* stagePanelSwitch() const { return m_stagesSwitch; }

protected:
    // Whichever way the dialog goes, what the adjustment tool showed goes with it.
    void hideEvent(QHideEvent* event) override;

private:
    void showSimpleMode(bool on);
    void showWeekdaySwitch();

    Hooks m_hooks;
    SettingsEntries m_working;
    QTabWidget* m_tabs = nullptr;
    TimingPage* m_timing = nullptr;
    AlertsPage* m_alerts = nullptr;
    SystemPage* m_system = nullptr;
    AppearancePage* m_appearance = nullptr;
    PrecisePage* m_precise = nullptr;
    std::unique_ptr<SimpleModeView> m_simpleView;
    DependentControls* m_rules = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_close = nullptr;
    QCheckBox* m_stagesSwitch = nullptr;
    StagePanel* m_stages = nullptr;
};

} // namespace melvanta
