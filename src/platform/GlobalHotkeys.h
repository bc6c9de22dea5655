#pragma once

#include <QObject>

#include <memory>

namespace melvanta {

// System-wide hotkeys: a key combination that reaches this program while
// any application has the focus. Keys are named by modifier flags (Alt 1,
// Ctrl 2, Shift 4) and a virtual-key code ("A" 65, "Num 1" 97, "F9" 120,
// Enter 13, Space 32); the state of NumLock and CapsLock does not matter.
class GlobalHotkeys : public QObject
{
    Q_OBJECT
public:
    enum class Outcome
    {
        Registered,
        Taken,      // another program holds the key
        Unavailable // no system-wide keys in this session, or no such key on this keyboard
    };

    ~GlobalHotkeys() override = default;

    // Registering an id again first releases what it held.
    virtual Outcome registerHotkey(int id, int modifiers, int keyCode) = 0;
    // Harmless for an id that holds nothing.
    virtual void unregisterHotkey(int id) = 0;
    // False when this session offers no system-wide keys at all.
    virtual bool isAvailable() const = 0;

    // The backend of this session: X11 on xcb, a null one elsewhere (Wayland,
    // offscreen). Call after the QGuiApplication exists.
    static std::unique_ptr<GlobalHotkeys> create();

Q_SIGNALS:
    // A registered key was pressed; a key held down reports its first press only.
    void activated(int id);
};

// Registers nothing: every key is unavailable.
class NullGlobalHotkeys final : public GlobalHotkeys
{
    Q_OBJECT
public:
    Outcome registerHotkey(int, int, int) override { return Outcome::Unavailable; }
    void unregisterHotkey(int) override {}
    bool isAvailable() const override { return false; }
};

} // namespace melvanta
