#pragma once

#include <memory>

namespace melvanta {

// Keeps the screen visible while a timing run is under way: the screen saver
// and display power saving stay away between hold() and release(), whatever
// the user's idle settings say. Outside a hold those settings apply unchanged.
class ScreenAwake
{
public:
    virtual ~ScreenAwake() = default;
    virtual void hold() = 0;    // suspend screen saver + display power saving; idempotent
    virtual void release() = 0; // let them come back; idempotent; also done by the destructor
    virtual bool isHeld() const = 0;
    // The backend for this session: X11 (+ session bus when it offers the service) on xcb, a null one elsewhere
    // (Wayland, offscreen, no display). Call after the QGuiApplication exists.
    static std::unique_ptr<ScreenAwake> create();
};

} // namespace melvanta
