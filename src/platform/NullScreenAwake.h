#pragma once

#include "platform/ScreenAwake.h"

namespace melvanta {

// For sessions where the program cannot reach the screen saver (Wayland,
// offscreen, other systems): remembers the hold and does nothing else.
class NullScreenAwake final : public ScreenAwake
{
public:
    void hold() override { m_held = true; }
    void release() override { m_held = false; }
    bool isHeld() const override { return m_held; }

private:
    bool m_held = false;
};

} // namespace melvanta
