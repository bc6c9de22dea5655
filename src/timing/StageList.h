#pragma once

#include <QString>

namespace melvanta {

// The stored stages as the stage submenu shows them, for runs that move on
// to the next stage.
class StageList
{
public:
    virtual ~StageList() = default;
    virtual int count() const = 0;
    // The entry that carries the check mark, -1 when none does.
    virtual int checkedIndex() const = 0;
    // The stage name of an entry, which its runs' records carry.
    virtual QString name(int index) const = 0;
    // Chooses an entry as the operator would from the submenu: the stage is
    // loaded, made current and its position remembered.
    virtual void choose(int index) = 0;
};

} // namespace melvanta
