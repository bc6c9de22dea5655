#include "input/HotkeyControl.h"

#include "platform/GlobalHotkeys.h"

namespace melvanta {

HotkeyControl::HotkeyControl(GlobalHotkeys& keys, Hooks hooks, QObject* parent)
    : QObject(parent), m_keys(keys), m_hooks(std::move(hooks))
{
    connect(&m_keys, &GlobalHotkeys::activated, this, &HotkeyControl::onActivated);
}

HotkeyControl::~HotkeyControl()
{
    hotkey_del();
}

void HotkeyControl::Hotkey_set()
{
    if (!m_registered.isEmpty())
        hotkey_del();
    m_wanted = true;
    const HotkeyProfile profile = m_hooks.profile();
    const QString texts[] = {profile.start, profile.stop, profile.pause};
    for (int item = 0; item < 3; ++item)
        m_hooks.setCaption(item, hotkeyMenuCaption(m_hooks.caption(item), texts[item]));
    if (m_suspended)
        return;

    const QList<HotkeyBinding> bindings = hotkeyBindings(profile, m_hooks.stageCount());
    if (!bindings.isEmpty() && !m_keys.isAvailable()) {
        if (!m_unavailableSaid)
            m_hooks.report(QStringLiteral("此桌面环境不支持全局热键，请用右键菜单或托盘图标执行命令"));
        m_unavailableSaid = true;
        return;
    }
    QList<HotkeyBinding> taken;
    for (const HotkeyBinding& binding : bindings) {
        switch (m_keys.registerHotkey(binding.id, binding.modifiers, binding.keyCode)) {
        case GlobalHotkeys::Outcome::Registered:
            m_registered << binding.id;
            break;
        case GlobalHotkeys::Outcome::Taken:
            taken << binding;
            break;
        case GlobalHotkeys::Outcome::Unavailable:
            break; // a key this keyboard does not have
        }
    }
    if (!taken.isEmpty())
        m_hooks.report(takenHotkeysMessage(taken));
}

void HotkeyControl::hotkey_del()
{
    m_wanted = false;
    for (int id : std::as_const(m_registered))
        m_keys.unregisterHotkey(id);
    m_registered.clear();
}

void HotkeyControl::suspend()
{
    if (m_suspended)
        return;
    const bool wanted = m_wanted;
    hotkey_del();
    m_wanted = wanted;
    m_suspended = true;
}

void HotkeyControl::resume()
{
    if (!m_suspended)
        return;
    m_suspended = false;
    if (m_wanted)
        Hotkey_set();
}

void HotkeyControl::onActivated(int id)
{
    if (m_suspended || !m_registered.contains(id))
        return;
    HotkeyAction action = hotkeyAction(id, m_hooks.profile().startIsStop, m_hooks.stageCount());
    if (action.kind == HotkeyAction::StartOrStop)
        action.kind = m_hooks.startEnabled() ? HotkeyAction::Start : HotkeyAction::Stop;
    if (action.kind != HotkeyAction::None)
        m_hooks.act(action);
}

} // namespace melvanta
