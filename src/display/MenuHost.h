#pragma once

#include "core/StageSettings.h"
#include "stages/StageDatabase.h"
#include "timing/CommandState.h"

#include <QStringList>
#include <QWidget>

#include <array>

class QAction;
class QMenu;

namespace melvanta {

class ProgramStores;

// The window nobody sees ("Frm_black"): it owns the command menu "全屏时钟"
// and the element menu "运行设置", and the timing source of the runs. It is
// never shown.
class MenuHost : public QWidget
{
    Q_OBJECT
public:
    // Items of the command menu, in menu order.
    enum CommandItem
    {
        Start = 0,
        Stop,
        Pause,
        Reset,
        FirstSeparator,
        StageSelection,
        Settings,
        AllowAdjusting,
        BackgroundSettings,
        RemoteJoin,
        Buttons,
        ExtendedScreen,
        SecondSeparator,
        Minimise,
        Statistics,
        Help,
        OnlineHelp,
        Exit,
        CommandItemCount
    };
    // Items of the element menu.
    enum ElementItem
    {
        SetFont = 0,
        SetColour,
        Centre,
        Hide,
        ShowWeekday,
        ElementItemCount
    };

    explicit MenuHost(QWidget* parent = nullptr);
    ~MenuHost() override;

    // The load: the stage submenu from the stored stages, the timing source
    // from the per-user value "clockmode" and the week-day check mark from
    // the stage. The stores stay the menus' own until the end.
    void load(const ProgramStores& stores, const StageSettings& stage);
    // Refills the stage submenu from the database of the program folder.
    void change_clock_menu();
    // 0 tick count, 1 seconds since midnight, 2 time of day.
    int timingSource() const { return m_timingSource; }

    QMenu* commandMenu() const { return m_commandMenu; }
    QMenu* elementMenu() const { return m_elementMenu; }
    QMenu* stageMenu() const { return m_stageMenu; }
    QAction* commandItem(int index) const { return m_commandItems.at(index); }
    QAction* elementItem(int index) const { return m_elementItems.at(index); }

    // One entry per stored stage, in list order; `checked` marks the current
    // one (-1: none). With no entries the stage selection is hidden. A "&" in
    // a name is shown as it stands.
    void setStageEntries(const QList<StageRow>& stages, int checked = -1);
    QList<StageRow> stageEntries() const;
    // The entry that carries the check mark (searched from the last one
    // down), -1 when none does.
    int checkedStageEntry() const;
    // Checks entry `index` alone.
    void checkStageEntry(int index);

    // Captions, enabled states and visibility of the run commands.
    void applyCommandState(const CommandState& state);
    // "最小化" offers to restore a minimised window.
    void setWindowMinimised(bool minimised);

Q_SIGNALS:
    // A command-menu item was chosen; check items have already toggled.
    void commandChosen(int index);
    // An element-menu item was chosen.
    void elementCommandChosen(int index);
    // A stage entry was chosen (its position in the list).
    void stageChosen(int index);

private:
    void updateStageSelection();

    QMenu* m_commandMenu;
    QMenu* m_elementMenu;
    QMenu* m_stageMenu;
    std::array<QAction*, CommandItemCount> m_commandItems{};
    std::array<QAction*, ElementItemCount> m_elementItems{};
    const ProgramStores* m_stores = nullptr;
    bool m_stageSelectionShown = true;
    int m_timingSource = 0;
};

} // namespace melvanta
