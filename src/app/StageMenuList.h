#pragma once

#include "timing/StageList.h"

namespace melvanta {

class ClockWindow;
class CurrentStage;
class MenuHost;
class ProgramStores;

// The stored stages as the stage submenu offers them. Choosing one loads it
// from the database and makes it the current stage (the per-user store is
// not written), puts its dynamic text on screen and remembers its place in
// the profile key "currentrow", so that the next stage can follow it.
class StageMenuList : public StageList
{
public:
    StageMenuList(MenuHost& host, ProgramStores& stores, CurrentStage& stage, ClockWindow& window);

    int count() const override;
    int checkedIndex() const override;
    QString name(int index) const override;
    void choose(int index) override;

private:
    MenuHost& m_host;
    ProgramStores& m_stores;
    CurrentStage& m_stage;
    ClockWindow& m_window;
};

} // namespace melvanta
