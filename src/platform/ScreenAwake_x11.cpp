#include "platform/ScreenAwake.h"
#include "platform/NullScreenAwake.h"
#include "platform/SessionScreenSaverInhibit.h"
#include "platform/X11ScreenSaverSuspend.h"

#include <QGuiApplication>

namespace melvanta {

namespace {

// An X11 session: the server's own saver (and DPMS) through MIT-SCREEN-SAVER,
// plus the desktop's screen saver service, which blanks on its own timer.
class X11ScreenAwake final : public ScreenAwake
{
public:
    // The members release on destruction themselves.
    X11ScreenAwake(xcb_connection_t* connection, const QDBusConnection& bus) : m_server(connection), m_desktop(bus) {}

    void hold() override
    {
        if (m_held)
            return;
        m_held = true;
        m_server.hold();
        m_desktop.hold();
    }

    void release() override
    {
        if (!m_held)
            return;
        m_held = false;
        m_server.release();
        m_desktop.release();
    }

    bool isHeld() const override { return m_held; }

private:
    X11ScreenSaverSuspend m_server;
    SessionScreenSaverInhibit m_desktop;
    bool m_held = false;
};

} // namespace

std::unique_ptr<ScreenAwake> ScreenAwake::create()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !x11)
        return std::make_unique<NullScreenAwake>();
    return std::make_unique<X11ScreenAwake>(x11->connection(), QDBusConnection::sessionBus());
}

} // namespace melvanta
