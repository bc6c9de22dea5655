#include "settings/SettingsDialog.h"

#include "support/DialogButton.h"
#include "settings/AlertsPage.h"
#include "settings/DependentControls.h"
#include "settings/StagePanel.h"
#include "settings/SystemPage.h"
#include "settings/TimingPage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
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
    m_tabs->addTab(
        placeholderPage(QStringLiteral("Picture3"), QStringLiteral("界面"),
                        QStringLiteral("此页将用于设置各显示元素的字体、字号、颜色与文字，以及背景颜色和背景图片。")),
        QStringLiteral("界面"));
    m_tabs->addTab(m_system, QStringLiteral("系统"));
    m_tabs->addTab(placeholderPage(QStringLiteral("Picture5"), QStringLiteral("精准设置"),
                                   QStringLiteral("此页将用于设置每个提醒阶段的时钟颜色、背景颜色和背景图片。")),
                   QStringLiteral("精准设置"));

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
    connect(m_system->autoCycle, &QCheckBox::toggled, this, [this](bool on) {
        if (m_hooks.autoCycleChanged)
            m_hooks.autoCycleChanged(on);
    });
    connect(m_system->simpleMode, &QCheckBox::toggled, this, [this](bool on) {
        if (m_hooks.simpleModeChanged)
            m_hooks.simpleModeChanged(on);
        m_rules->overtimeActionRule();
    });
    fillsettings(entries);
}

SettingsDialog::~SettingsDialog() = default;

QWidget* SettingsDialog::placeholderPage(const QString& objectName, const QString& caption, const QString& holds)
{
    auto* page = new QWidget(m_tabs);
    page->setObjectName(objectName);
    auto* layout = new QVBoxLayout(page);
    auto* title = new QLabel(caption, page);
    QFont font = title->font();
    font.setBold(true);
    title->setFont(font);
    auto* line = new QLabel(holds, page);
    line->setWordWrap(true);
    layout->addWidget(title);
    layout->addWidget(line);
    layout->addStretch();
    return page;
}

void SettingsDialog::fillsettings(const SettingsEntries& entries)
{
    m_working = entries;
    m_timing->fill(entries);
    m_alerts->fill(entries);
    m_system->fill(entries);
    m_rules->settle();
}

SettingsEntries SettingsDialog::entries() const
{
    SettingsEntries e = m_working;
    m_timing->collect(e);
    m_alerts->collect(e);
    m_system->collect(e);
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
