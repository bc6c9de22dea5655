#pragma once

#include <QList>

class QTabWidget;
class QWidget;

namespace melvanta {

class AlertsPage;
class AppearancePage;
class SystemPage;
class TimingPage;

// Simple mode keeps the total, one alarm point (the third, shown as the
// first), the start, alarm and end phases and the main display options;
// it hides the rest of the settings dialog and the "精准设置" page.
class SimpleModeView
{
public:
    SimpleModeView(QTabWidget& tabs, int preciseTab, TimingPage& timing, AlertsPage& alerts, AppearancePage& appearance,
                   SystemPage& system);

    // Shows the dialog as simple mode `on` or off wants it. The rules that
    // hide controls of their own run before this.
    void show(bool on);

private:
    QList<QWidget*> hiddenControls() const;

    QTabWidget& m_tabs;
    int m_preciseTab;
    TimingPage& m_timing;
    AlertsPage& m_alerts;
    AppearancePage& m_appearance;
    SystemPage& m_system;
};

} // namespace melvanta
