#pragma once

#include "settings/SettingsEntries.h"

#include <QDialog>

#include <functional>

class QPushButton;
class QTabWidget;

namespace melvanta {

class AlertsPage;
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
    QTabWidget* tabs() const { return m_tabs; }

private:
    QWidget* placeholderPage(const QString& objectName, const QString& caption, const QString& holds);

    Hooks m_hooks;
    SettingsEntries m_working;
    QTabWidget* m_tabs = nullptr;
    TimingPage* m_timing = nullptr;
    AlertsPage* m_alerts = nullptr;
    SystemPage* m_system = nullptr;
    DependentControls* m_rules = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace melvanta
