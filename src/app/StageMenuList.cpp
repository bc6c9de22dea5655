#include "app/StageMenuList.h"

#include "core/CurrentStage.h"
#include "display/ClockWindow.h"
#include "display/MenuHost.h"
#include "stages/StageDatabase.h"
#include "storage/ProgramStores.h"

namespace melvanta {

StageMenuList::StageMenuList(MenuHost& host, ProgramStores& stores, CurrentStage& stage, ClockWindow& window)
    : m_host(host), m_stores(stores), m_stage(stage), m_window(window)
{}

int StageMenuList::count() const
{
    return int(m_host.stageEntries().size());
}

int StageMenuList::checkedIndex() const
{
    return m_host.checkedStageEntry();
}

QString StageMenuList::name(int index) const
{
    const QList<StageRow> entries = m_host.stageEntries();
    return index >= 0 && index < entries.size() ? entries.at(index).name : QString();
}

void StageMenuList::choose(int index)
{
    const QList<StageRow> entries = m_host.stageEntries();
    if (index < 0 || index >= entries.size())
        return;
    m_host.checkStageEntry(index);
    m_window.SetAdjustMode(0);
    StoredStage stored;
    if (StageDatabase(m_stores.databasePath()).load(entries.at(index).id, stored) != StageDatabase::Loaded::Loaded)
        return;
    m_stage.replace(stored.settings);
    m_window.setDynamicText(stored.movetext);
    // Stages that end with overtime or a stop hand over to no next stage.
    const int last = int(entries.size()) - 1;
    const bool handsOver = int(stored.settings.choices().endAction) >= int(EndAction::Reset);
    m_stores.profile().write(QStringLiteral("Marquee"), QStringLiteral("currentrow"),
                             QString::number(handsOver ? index + 1 : last + 10));
}

} // namespace melvanta
