#include "platform/X11ScreenSaverSuspend.h"

#include <QCoreApplication>

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace melvanta {

X11ScreenSaverSuspend::X11ScreenSaverSuspend(xcb_connection_t* connection) : m_connection(connection)
{
    if (!m_connection)
        return;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(m_connection, &xcb_screensaver_id);
    if (!extension || !extension->present)
        return;
    // Suspend came with version 1.1; an older server would answer it with an error.
    xcb_screensaver_query_version_reply_t* version =
        xcb_screensaver_query_version_reply(m_connection, xcb_screensaver_query_version(m_connection, 1, 1), nullptr);
    if (version) {
        m_available = version->server_major_version > 1 ||
                      (version->server_major_version == 1 && version->server_minor_version >= 1);
        std::free(version);
    }
}

X11ScreenSaverSuspend::~X11ScreenSaverSuspend()
{
    release();
}

void X11ScreenSaverSuspend::hold()
{
    if (!m_available || m_suspended)
        return;
    m_suspended = true;
    // The suspension stops the one server timer that drives both the screen
    // saver and the DPMS levels (standby, suspend, off), so display power
    // saving stays away too. It does not end a saver that is already on: the
    // reset does, so a run started from afar brings the clock back on screen.
    xcb_screensaver_suspend(m_connection, 1);
    xcb_force_screen_saver(m_connection, XCB_SCREEN_SAVER_RESET);
    xcb_flush(m_connection);
}

void X11ScreenSaverSuspend::release()
{
    if (!m_suspended)
        return;
    m_suspended = false;
    // Without the application the connection is closed, and the server ends a
    // closed client's suspension by itself.
    if (!QCoreApplication::instance())
        return;
    xcb_screensaver_suspend(m_connection, 0);
    xcb_flush(m_connection);
}

} // namespace melvanta
