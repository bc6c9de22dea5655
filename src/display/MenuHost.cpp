#include "display/MenuHost.h"

#include "storage/ProgramStores.h"

#include <QAction>
#include <QMenu>

namespace melvanta {

namespace {

struct ItemDefinition
{
    const char* caption; // nullptr: a separator
    bool checkable;
};

const std::array<ItemDefinition, MenuHost::CommandItemCount> kCommandItems{{
    {"开始", false},
    {"停止", false},
    {"暂停", false},
    {"复位", false},
    {nullptr, false},
    {"阶段选择", false},
    {"设置", false},
    {"允许调整", true},
    {"背景设置", false},
    {"网络遥控…", false},
    {"按钮", true},
    {"扩展屏显示", true},
    {nullptr, false},
    {"最小化", false},
    {"统计", false},
    {"帮助", false},
    {"在线帮助", false},
    {"退出", false},
}};

const std::array<ItemDefinition, MenuHost::ElementItemCount> kElementItems{{
    {"设置字体", false},
    {"设置颜色", false},
    {"居中", false},
    {"隐藏", false},
    {"显示星期", true},
}};

} // namespace

MenuHost::MenuHost(QWidget* parent)
    : QWidget(parent), m_commandMenu(new QMenu(QStringLiteral("全屏时钟"), this)),
      m_elementMenu(new QMenu(QStringLiteral("运行设置"), this)),
      m_stageMenu(new QMenu(QStringLiteral("阶段选择"), m_commandMenu))
{
    setObjectName(QStringLiteral("Frm_black"));
    m_commandMenu->setObjectName(QStringLiteral("desktopclock"));
    m_elementMenu->setObjectName(QStringLiteral("clocksetMenu"));
    m_stageMenu->setObjectName(QStringLiteral("menu_often"));

    for (int i = 0; i < CommandItemCount; ++i) {
        const ItemDefinition& item = kCommandItems[i];
        QAction* action = nullptr;
        if (i == StageSelection)
            action = m_commandMenu->addMenu(m_stageMenu);
        else if (!item.caption)
            action = m_commandMenu->addSeparator();
        else
            action = m_commandMenu->addAction(QString::fromUtf8(item.caption));
        action->setCheckable(item.checkable);
        if (item.caption)
            connect(action, &QAction::triggered, this, [this, i] { Q_EMIT commandChosen(i); });
        m_commandItems[i] = action;
    }
    for (int i = 0; i < ElementItemCount; ++i) {
        QAction* action = m_elementMenu->addAction(QString::fromUtf8(kElementItems[i].caption));
        action->setCheckable(kElementItems[i].checkable);
        connect(action, &QAction::triggered, this, [this, i] { Q_EMIT elementCommandChosen(i); });
        m_elementItems[i] = action;
    }
    updateStageSelection();
}

MenuHost::~MenuHost() = default;

void MenuHost::load(const ProgramStores& stores, const StageSettings& stage)
{
    m_stores = &stores;
    change_clock_menu();
    const qint32 source = stores.registry().number(QLatin1String(RegistryValue::clockmode), 0);
    m_timingSource = source >= 0 && source <= 2 ? source : 0;
    m_elementItems[ShowWeekday]->setChecked(stage.promptShowsWeekday());
}

void MenuHost::setStageEntries(const QList<StageRow>& stages, int checked)
{
    m_stageMenu->clear();
    for (int i = 0; i < stages.size(); ++i) {
        const StageRow& stage = stages.at(i);
        QString caption = stage.name;
        QAction* entry = m_stageMenu->addAction(caption.replace(QLatin1Char('&'), QStringLiteral("&&")));
        entry->setData(QVariant::fromValue(stage));
        entry->setCheckable(true);
        entry->setChecked(i == checked);
        connect(entry, &QAction::triggered, this, [this, i] {
            checkStageEntry(i);
            Q_EMIT stageChosen(i);
        });
    }
    updateStageSelection();
}

void MenuHost::change_clock_menu()
{
    // A missing or unreadable database leaves the stage selection hidden.
    const std::optional<QList<StageRow>> stages =
        m_stores ? StageDatabase(m_stores->databasePath()).list() : std::nullopt;
    setStageEntries(stages.value_or(QList<StageRow>()));
}

QList<StageRow> MenuHost::stageEntries() const
{
    QList<StageRow> stages;
    for (const QAction* entry : m_stageMenu->actions())
        stages << entry->data().value<StageRow>();
    return stages;
}

int MenuHost::checkedStageEntry() const
{
    const QList<QAction*> entries = m_stageMenu->actions();
    for (qsizetype k = entries.size() - 1; k >= 0; --k) {
        if (entries.at(k)->isChecked())
            return int(k);
    }
    return -1;
}

void MenuHost::checkStageEntry(int index)
{
    const QList<QAction*> entries = m_stageMenu->actions();
    for (int k = 0; k < entries.size(); ++k)
        entries.at(k)->setChecked(k == index);
}

void MenuHost::updateStageSelection()
{
    const bool any = !m_stageMenu->actions().isEmpty();
    QAction* item = m_commandItems[StageSelection];
    item->setEnabled(any);
    item->setVisible(any && m_stageSelectionShown);
}

void MenuHost::applyCommandState(const CommandState& state)
{
    QAction* start = m_commandItems[Start];
    QAction* pause = m_commandItems[Pause];
    if (!state.startPrefix.isEmpty())
        start->setText(withCaptionPrefix(start->text(), state.startPrefix));
    if (!state.pausePrefix.isEmpty())
        pause->setText(withCaptionPrefix(pause->text(), state.pausePrefix));
    start->setEnabled(state.startEnabled);
    m_commandItems[Stop]->setEnabled(state.stopEnabled);
    pause->setEnabled(state.pauseEnabled);
    m_commandItems[Reset]->setEnabled(state.resetEnabled);
    m_stageSelectionShown = state.stageSelectionShown;
    updateStageSelection();
    m_commandItems[Settings]->setEnabled(state.settingsEnabled);
    for (int item : {AllowAdjusting, Buttons, Minimise})
        m_commandItems[item]->setEnabled(state.adjustEnabled);
    for (int item = Statistics; item <= Exit; ++item)
        m_commandItems[item]->setVisible(state.lowerItemsShown);
    m_commandItems[Exit]->setEnabled(state.exitEnabled);
}

void MenuHost::setWindowMinimised(bool minimised)
{
    m_commandItems[Minimise]->setText(minimised ? QStringLiteral("最大化") : QStringLiteral("最小化"));
}

} // namespace melvanta
