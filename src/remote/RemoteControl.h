#pragma once

#include "remote/RemoteCommand.h"
#include "remote/RemoteState.h"

#include <QString>

namespace melvanta {

// What the network remote needs of the program: the clock's state and the
// run control that the buttons, hotkeys and tray use too.
class RemoteControl
{
public:
    virtual ~RemoteControl() = default;
    virtual RemoteSnapshot snapshot() const = 0;
    // Carries out `command`; what went wrong, or "" when it was done.
    virtual QString execute(const RemoteCommand& command) = 0;
    // A command's effect is still on its way (a start begins a moment later).
    virtual bool isSettling() const = 0;
};

} // namespace melvanta
