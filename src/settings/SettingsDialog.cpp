#include "settings/SettingsDialog.h"

#include "support/DialogButton.h"
#include "settings/AdjustmentPanel.h"
#include "settings/AlertsPage.h"
#include "settings/AppearancePage.h"
#include "settings/DependentControls.h"
#include "settings/PrecisePage.h"
#include "settings/SimpleModeView.h"
#include "settings/StagePanel.h"
#include "settings/SystemPage.h"
#include "settings/TimingPage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace melvanta {

namespace {

QString programName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

} // namespace

SettingsDialog::SettingsDialog(const SettingsEntries& entries, Hooks hooks, QWidget* parent)
    : QDialog(parent), m_hooks(std::move(hooks)), m_working(entries)
{
    setObjectName(QStringLiteral("Settings"));
    setWindowTitle(QStringLiteral("设置"));
    setWindowModality(Qt::ApplicationModal);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("Lab_Tab"));
    m_timing = new TimingPage(programName(), m_tabs);
    m_alerts = new AlertsPage(m_tabs);
    m_system = new SystemPage(m_tabs);
    m_tabs->addTab(m_timing, QStringLiteral("计时"));
    m_tabs->addTab(m_alerts, QStringLiteral("提醒"));
    m_appearance = new AppearancePage(m_tabs);
    m_precise = new PrecisePage(m_tabs);
    m_tabs->addTab(m_appearance, QStringLiteral("界面"));
    m_tabs->addTab(m_system, QStringLiteral("系统"));
    const int preciseTab = m_tabs->addTab(m_precise, QStringLiteral("精准设置"));
    m_simpleView =
        std::make_unique<SimpleModeView>(*m_tabs, preciseTab, *m_timing, *m_alerts, *m_appearance, *m_system);

    m_appearance->adjustment->setScreen(m_hooks.screen);
    m_appearance->adjustment->setEndText([this] { return m_alerts->texts[6]->text(); });
    connect(m_alerts, &AlertsPage::previewRequested, this, [this](int phase) {
        if (m_hooks.previewSound)
            m_hooks.previewSound(m_alerts->texts[7 + phase]->text().trimmed());
    });
    connect(m_timing->switches[6], &QCheckBox::toggled, m_appearance, &AppearancePage::setDateLineEnabled);

    m_apply = dialogButton("Command1", "应用", this);
    m_close = dialogButton("Command3", "关闭", this);
    connect(m_apply, &QPushButton::clicked, this, [this] { applyEntries(); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);

    StagePanel::Hooks panelHooks;
    panelHooks.entries = [this] { return this->entries(); };
    panelHooks.showEntries = [this](const SettingsEntries& shown) { fillsettings(shown); };
    panelHooks.storedStage = [this] { return m_hooks.storedStage ? m_hooks.storedStage() : m_working.stage; };
    panelHooks.stagesChanged = [this] {
        if (m_hooks.stagesChanged)
            m_hooks.stagesChanged();
    };
    m_stages = new StagePanel(m_hooks.databasePath, std::move(panelHooks), this);
    m_stages->hide();
    m_stagesSwitch = new QCheckBox(QStringLiteral("阶段设置"), this);
    m_stagesSwitch->setObjectName(QStringLiteral("Check6"));
    connect(m_stagesSwitch, &QCheckBox::toggled, this, [this](bool on) {
        m_stages->setVisible(on);
        if (on)
            m_stages->listadd();
        adjustSize();
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_stagesSwitch);
    buttons->addStretch();
    buttons->addWidget(m_apply);
    buttons->addWidget(m_close);
    auto* pages = new QHBoxLayout;
    pages->addWidget(m_tabs);
    pages->addWidget(m_stages);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pages);
    layout->addLayout(buttons);

    m_rules = new DependentControls(*m_timing, *m_system, m_working, this);
    connect(m_timing->switches[6], &QCheckBox::toggled, this, &SettingsDialog::showWeekdaySwitch);
    connect(m_system->autoCycle, &QCheckBox::toggled, this, [this](bool on) {
        if (m_hooks.autoCycleChanged)
            m_hooks.autoCycleChanged(on);
    });
    connect(m_system->simpleMode, &QCheckBox::toggled, this, [this](bool on) {
        if (m_hooks.simpleModeChanged)
            m_hooks.simpleModeChanged(on);
        showSimpleMode(on);
    });
    fillsettings(entries);
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::showSimpleMode(bool on)
{
    m_simpleView->show(on);
    // The rules then show what the stage's switches call for, as far as simple mode lets them.
    m_rules->overtimeActionRule();
}

void SettingsDialog::showWeekdaySwitch()
{
    // The long-term rule decides the weekday switch in the working entries.
    QCheckBox* weekday = m_appearance->switches[1];
    const QSignalBlocker blocker(weekday);
    weekday->setChecked(m_working.checkthree.at(1) == QLatin1Char('1'));
}

void SettingsDialog::hideEvent(QHideEvent* event)
{
    m_appearance->adjustment->finish();
    QDialog::hideEvent(event);
}

void SettingsDialog::fillsettings(const SettingsEntries& entries)
{
    m_working = entries;
    m_timing->fill(entries);
    m_alerts->fill(entries);
    m_system->fill(entries);
    m_appearance->fill(entries);
    m_precise->fill(entries);
    m_rules->settle();
    showWeekdaySwitch();
    m_appearance->setDateLineEnabled(m_timing->switches[6]->isChecked());
    showSimpleMode(entries.simpleMode);
}

SettingsEntries SettingsDialog::entries() const
{
    SettingsEntries e = m_working;
    m_timing->collect(e);
    m_alerts->collect(e);
    m_system->collect(e);
    m_appearance->collect(e);
    m_precise->collect(e);
    // What simple mode hides takes its fixed values before any check runs.
    if (e.simpleMode)
        applySimpleModeValues(e);
    // A box left empty keeps the value it was filled with.
    if (e.marqueeWidth.isEmpty())
        e.marqueeWidth = m_working.marqueeWidth;
    if (e.marqueeSpeed.isEmpty())
        e.marqueeSpeed = m_working.marqueeSpeed;
    return e;
}

bool SettingsDialog::applyEntries()
{
    if (!m_hooks.apply)
        return false;
    const SettingsEntries applied = entries();
    if (!m_hooks.apply(applied))
        return false;
    // Later applies start from what is now the current stage.
    m_working = applied;
    m_working.stage = stageFromEntries(applied).stage;
    return true;
}

} // namespace melvanta
