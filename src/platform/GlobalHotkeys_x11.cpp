#include "platform/GlobalHotkeys.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QHash>
#include <QList>
#include <QSet>
#include <QTimer>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace melvanta {

namespace {

// The keysyms the key table needs (X11/keysymdef.h).
constexpr xcb_keysym_t kKeysymSpace = 0x0020;
constexpr xcb_keysym_t kKeysymDigit0 = 0x0030;
constexpr xcb_keysym_t kKeysymLetterA = 0x0061; // lower case: the key's first level
constexpr xcb_keysym_t kKeysymReturn = 0xff0d;
constexpr xcb_keysym_t kKeysymKeypadEnter = 0xff8d;
constexpr xcb_keysym_t kKeysymKeypad0 = 0xffb0;
constexpr xcb_keysym_t kKeysymF1 = 0xffbe;
constexpr xcb_keysym_t kKeysymNumLock = 0xff7f;
constexpr xcb_keysym_t kKeysymAltLeft = 0xffe9;
constexpr xcb_keysym_t kKeysymAltRight = 0xffea;

constexpr uint8_t kBadAccess = 10;
// XKB's own event types that say the keyboard's mapping changed.
constexpr uint8_t kXkbNewKeyboardNotify = 0;
constexpr uint8_t kXkbMapNotify = 1;

// The keysyms that make up a virtual key; none for a key outside the table.
std::vector<xcb_keysym_t> keysymsOf(int keyCode)
{
    if (keyCode >= 'A' && keyCode <= 'Z')
        return {xcb_keysym_t(kKeysymLetterA + keyCode - 'A')};
    if (keyCode >= '0' && keyCode <= '9')
        return {xcb_keysym_t(kKeysymDigit0 + keyCode - '0')};
    if (keyCode >= 96 && keyCode <= 105)
        return {xcb_keysym_t(kKeysymKeypad0 + keyCode - 96)};
    if (keyCode >= 112 && keyCode <= 123)
        return {xcb_keysym_t(kKeysymF1 + keyCode - 112)};
    if (keyCode == 13) // either Enter key, as on Windows
        return {kKeysymReturn, kKeysymKeypadEnter};
    if (keyCode == 32)
        return {kKeysymSpace};
    return {};
}

// Key grabs on the root window of an X11 display. Each key is grabbed with
// every combination of NumLock and CapsLock, so that the locks never
// matter; the lock bits are masked out of the events again.
class X11GlobalHotkeys final : public GlobalHotkeys, public QAbstractNativeEventFilter
{
public:
    X11GlobalHotkeys(xcb_connection_t* connection) : m_connection(connection)
    {
        const xcb_setup_t* setup = xcb_get_setup(connection);
        m_root = xcb_setup_roots_iterator(setup).data->root;
        m_symbols = xcb_key_symbols_alloc(connection);
        readModifierMapping();
        m_xkbFirstEvent = xkbFirstEvent();
        qApp->installNativeEventFilter(this);
    }

    ~X11GlobalHotkeys() override
    {
        qApp->removeNativeEventFilter(this);
        for (const Hotkey& key : std::as_const(m_keys))
            ungrab(key);
        xcb_flush(m_connection);
        xcb_key_symbols_free(m_symbols);
    }

    Outcome registerHotkey(int id, int modifiers, int keyCode) override
    {
        unregisterHotkey(id);
        Hotkey key{modifiers, keyCode, {}};
        const Outcome outcome = grab(key);
        if (outcome == Outcome::Registered)
            m_keys.insert(id, key);
        return outcome;
    }

    void unregisterHotkey(int id) override
    {
        const auto found = m_keys.constFind(id);
        if (found == m_keys.constEnd())
            return;
        ungrab(*found);
        xcb_flush(m_connection);
        m_keys.erase(found);
    }

    bool isAvailable() const override { return true; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE)
            return keyEvent(type == XCB_KEY_PRESS, *reinterpret_cast<xcb_key_press_event_t*>(event));
        if (type == XCB_MAPPING_NOTIFY) {
            const auto* notify = reinterpret_cast<xcb_mapping_notify_event_t*>(event);
            if (notify->request != XCB_MAPPING_POINTER)
                scheduleRegrab();
        } else if (m_xkbFirstEvent != 0 && type == m_xkbFirstEvent) {
            const uint8_t xkbType = reinterpret_cast<const uint8_t*>(event)[1];
            if (xkbType == kXkbNewKeyboardNotify || xkbType == kXkbMapNotify)
                scheduleRegrab();
        }
        return false;
    }

private:
    struct Hotkey
    {
        int modifiers = 0;
        int keyCode = 0;
        std::vector<xcb_keycode_t> keycodes; // what the grab holds
    };

    uint16_t maskOf(int modifiers) const
    {
        uint16_t mask = 0;
        if (modifiers & 1)
            mask |= m_altMask;
        if (modifiers & 2)
            mask |= XCB_MOD_MASK_CONTROL;
        if (modifiers & 4)
            mask |= XCB_MOD_MASK_SHIFT;
        return mask;
    }

    std::vector<uint16_t> lockVariants() const
    {
        std::vector<uint16_t> variants{0, XCB_MOD_MASK_LOCK};
        if (m_numLockMask != 0 && m_numLockMask != XCB_MOD_MASK_LOCK) {
            variants.push_back(m_numLockMask);
            variants.push_back(uint16_t(m_numLockMask | XCB_MOD_MASK_LOCK));
        }
        return variants;
    }

    std::vector<xcb_keycode_t> keycodesOf(xcb_keysym_t keysym) const
    {
        std::vector<xcb_keycode_t> codes;
        xcb_keycode_t* found = xcb_key_symbols_get_keycode(m_symbols, keysym);
        for (xcb_keycode_t* code = found; code && *code != XCB_NO_SYMBOL; ++code)
            codes.push_back(*code);
        std::free(found);
        return codes;
    }

    Outcome grab(Hotkey& key)
    {
        key.keycodes.clear();
        for (xcb_keysym_t keysym : keysymsOf(key.keyCode))
            for (xcb_keycode_t code : keycodesOf(keysym))
                key.keycodes.push_back(code);
        if (key.keycodes.empty())
            return Outcome::Unavailable;
        const uint16_t mask = maskOf(key.modifiers);
        std::vector<xcb_void_cookie_t> cookies;
        for (xcb_keycode_t code : key.keycodes)
            for (uint16_t lock : lockVariants())
                cookies.push_back(xcb_grab_key_checked(m_connection, 0, m_root, uint16_t(mask | lock), code,
                                                       XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        // Each request is checked at once: a grab another client holds is
        // refused with BadAccess, and the key then is none of ours.
        // Any other refusal leaves the key just as unusable.
        bool taken = false;
        for (xcb_void_cookie_t cookie : cookies) {
            if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
                if (error->error_code != kBadAccess)
                    qWarning("global hotkey refused with X error %d", int(error->error_code));
                std::free(error);
                taken = true;
            }
        }
        if (taken) {
            ungrab(key);
            xcb_flush(m_connection);
            key.keycodes.clear();
            return Outcome::Taken;
        }
        return Outcome::Registered;
    }

    void ungrab(const Hotkey& key)
    {
        const uint16_t mask = maskOf(key.modifiers);
        for (xcb_keycode_t code : key.keycodes)
            for (uint16_t lock : lockVariants())
                xcb_ungrab_key(m_connection, code, m_root, uint16_t(mask | lock));
    }

    bool keyEvent(bool press, const xcb_key_press_event_t& event)
    {
        if (event.event != m_root)
            return false;
        const uint16_t relevant = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | m_altMask;
        const uint16_t state = event.state & relevant;
        for (auto it = m_keys.cbegin(); it != m_keys.cend(); ++it) {
            const Hotkey& key = it.value();
            if (maskOf(key.modifiers) != state ||
                std::find(key.keycodes.begin(), key.keycodes.end(), event.detail) == key.keycodes.end())
                continue;
            if (!press) {
                m_held.remove(event.detail);
                m_releaseTime.insert(event.detail, event.time);
                return true;
            }
            // A key held down repeats: either as presses alone, or as a
            // release and a press with one time stamp.
            const bool repeat =
                m_held.contains(event.detail) || m_releaseTime.value(event.detail, event.time + 1) == event.time;
            m_held.insert(event.detail);
            if (!repeat)
                Q_EMIT activated(it.key());
            return true;
        }
        // The release of a key whose modifier was let go first still ends the hold.
        if (!press && m_held.remove(event.detail))
            m_releaseTime.insert(event.detail, event.time);
        return false;
    }

    void readModifierMapping()
    {
        m_numLockMask = 0;
        m_altMask = XCB_MOD_MASK_1;
        const std::vector<xcb_keycode_t> numLock = keycodesOf(kKeysymNumLock);
        std::vector<xcb_keycode_t> alt = keycodesOf(kKeysymAltLeft);
        for (xcb_keycode_t code : keycodesOf(kKeysymAltRight))
            alt.push_back(code);
        xcb_get_modifier_mapping_reply_t* reply =
            xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr);
        if (!reply)
            return;
        const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(reply);
        const int perModifier = reply->keycodes_per_modifier;
        uint16_t altMask = 0;
        // Shift, Lock, Control, then Mod1 … Mod5.
        for (int modifier = 0; modifier < 8; ++modifier) {
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t code = codes[modifier * perModifier + i];
                if (code == XCB_NO_SYMBOL)
                    continue;
                if (std::find(numLock.begin(), numLock.end(), code) != numLock.end())
                    m_numLockMask = uint16_t(1 << modifier);
                if (modifier >= 3 && std::find(alt.begin(), alt.end(), code) != alt.end() && altMask == 0)
                    altMask = uint16_t(1 << modifier);
            }
        }
        if (altMask != 0)
            m_altMask = altMask;
        std::free(reply);
    }

    uint8_t xkbFirstEvent() const
    {
        const char name[] = "XKEYBOARD";
        xcb_query_extension_reply_t* reply = xcb_query_extension_reply(
            m_connection, xcb_query_extension(m_connection, uint16_t(std::strlen(name)), name), nullptr);
        const uint8_t first = reply && reply->present ? reply->first_event : 0;
        std::free(reply);
        return first;
    }

    // A new keyboard layout may put the keys and the NumLock modifier
    // elsewhere: everything is grabbed again once the changes have settled.
    void scheduleRegrab()
    {
        if (m_regrabPending)
            return;
        m_regrabPending = true;
        QTimer::singleShot(0, this, [this] {
            m_regrabPending = false;
            for (const Hotkey& key : std::as_const(m_keys))
                ungrab(key);
            xcb_flush(m_connection);
            xcb_key_symbols_free(m_symbols);
            m_symbols = xcb_key_symbols_alloc(m_connection);
            readModifierMapping();
            for (auto it = m_keys.begin(); it != m_keys.end();) {
                if (grab(it.value()) == Outcome::Registered)
                    ++it;
                else
                    it = m_keys.erase(it);
            }
        });
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
    xcb_key_symbols_t* m_symbols = nullptr;
    uint16_t m_numLockMask = 0;
    uint16_t m_altMask = XCB_MOD_MASK_1;
    uint8_t m_xkbFirstEvent = 0;
    bool m_regrabPending = false;
    QHash<int, Hotkey> m_keys;
    QSet<xcb_keycode_t> m_held;
    QHash<xcb_keycode_t, xcb_timestamp_t> m_releaseTime;
};

} // namespace

std::unique_ptr<GlobalHotkeys> GlobalHotkeys::create()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !x11 || !x11->connection())
        return std::make_unique<NullGlobalHotkeys>();
    return std::make_unique<X11GlobalHotkeys>(x11->connection());
}

} // namespace melvanta
