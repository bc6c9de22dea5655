#include "settings/SimpleModeView.h"

#include "settings/AlertsPage.h"
#include "settings/AppearancePage.h"
#include "settings/ColourSwatch.h"
#include "settings/NumberBox.h"
#include "settings/SystemPage.h"
#include "settings/TimingPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace melvanta {

namespace {

// The phases without a row in simple mode: alarms 1 and 2, the final
// seconds and the overtime.
constexpr int kHiddenPhases[] = {1, 2, 4, 5};
// The time boxes of alarm 1, alarm 2, the final seconds and the overtime.
constexpr int kHiddenTimeBoxes[] = {4, 5, 6, 7, 10, 11, 12, 13};

} // namespace

SimpleModeView::SimpleModeView(QTabWidget& tabs, int preciseTab, TimingPage& timing, AlertsPage& alerts,
                               AppearancePage& appearance, SystemPage& system)
    : m_tabs(tabs), m_preciseTab(preciseTab), m_timing(timing), m_alerts(alerts), m_appearance(appearance),
      m_system(system)
{}

QList<QWidget*> SimpleModeView::hiddenControls() const
{
    QList<QWidget*> hidden;
    for (int i : {0, 1, 2, 4, 5})
        hidden << m_timing.switches[i];
    for (int box : kHiddenTimeBoxes)
        hidden << m_timing.timeBoxes[box] << m_timing.timeSpins[box] << m_timing.unitLabel(box);
    for (int phase : kHiddenPhases) {
        hidden << m_alerts.phaseLabels[phase] << m_alerts.texts[phase] << m_alerts.texts[7 + phase]
               << m_alerts.soundImports[phase];
        for (int effect = 0; effect < 3; ++effect)
            hidden << m_alerts.switches[phase + 7 * effect];
    }
    for (int i = 0; i < 5; ++i)
        hidden << m_appearance.switches[i];
    for (int row : {4, 5})
        hidden << m_appearance.rowLabels[row] << m_appearance.fontBoxes[row] << m_appearance.sizeBoxes[row]
               << m_appearance.colours[row];
    // The group of the time-up switches has nothing else to show.
    hidden << m_system.alertDurationCaption << m_system.alertDuration << m_system.alertDurationUnit
           << m_system.alertDuration->parentWidget() << m_system.logoGroup << m_system.marqueeGroup;
    return hidden;
}

void SimpleModeView::show(bool on)
{
    m_tabs.setTabVisible(m_preciseTab, !on);
    for (QWidget* control : hiddenControls())
        control->setVisible(!on);
    // These follow rules of their own when shown; in simple mode they stay hidden.
    QWidget* const alwaysHidden[] = {m_system.switches[0], m_system.switches[1], m_system.switches[2],
                                     m_system.delay,       m_system.delaySpin,   m_system.delayAction};
    if (on) {
        for (QWidget* control : alwaysHidden)
            control->hide();
    }
    m_timing.switches[3]->setText(on ? QStringLiteral("报警1 剩余") : QStringLiteral("报警3 剩余"));
    m_alerts.phaseLabels[3]->setText(on ? QStringLiteral("报警1") : QStringLiteral("报警3"));
    m_alerts.setSimpleMode(on);
}

} // namespace melvanta
