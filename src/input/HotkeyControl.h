#pragma once

#include "input/HotkeyText.h"

#include <QList>
#include <QObject>

#include <functional>

namespace melvanta {

class GlobalHotkeys;

// Sets up and releases the program's hotkeys (`Hotkey_set`, `hotkey_del`)
// and turns a pressed key into its command. What the keys act on reaches it
// through hooks, so that it knows neither the menus nor the run.
class HotkeyControl : public QObject
{
    Q_OBJECT
public:
    struct Hooks
    {
        std::function<HotkeyProfile()> profile; // read afresh at each set-up and each press
        // Captions of the command items start (0), stop (1) and pause (2).
        std::function<QString(int item)> caption;
        std::function<void(int item, const QString& caption)> setCaption;
        std::function<int()> stageCount;    // entries of the stage submenu now
        std::function<bool()> startEnabled; // whether the command item "开始" can be chosen
        std::function<void(const HotkeyAction&)> act;
        // The keys other programs hold, or that this session has no hotkeys;
        // the caller shows it without waiting.
        std::function<void(const QString& message)> report;
    };

    HotkeyControl(GlobalHotkeys& keys, Hooks hooks, QObject* parent = nullptr);
    ~HotkeyControl() override;

    // Shows the keys in the command captions and registers them. Called
    // again without hotkey_del, it first releases what it holds.
    void Hotkey_set();
    // Releases every key that is registered.
    void hotkey_del();
    // While suspended (the settings dialog captures keys) nothing is
    // registered; Hotkey_set only updates the captions. resume() sets the
    // keys up again when they were set before.
    void suspend();
    void resume();
    // The ids registered now, in the order of registration.
    QList<int> registeredIds() const { return m_registered; }

private:
    void onActivated(int id);

    GlobalHotkeys& m_keys;
    Hooks m_hooks;
    QList<int> m_registered;
    bool m_wanted = false; // Hotkey_set was called and hotkey_del not since
    bool m_suspended = false;
    bool m_unavailableSaid = false;
};

} // namespace melvanta
