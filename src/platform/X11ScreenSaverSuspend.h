#pragma once

struct xcb_connection_t;

namespace melvanta {

// Suspends the X server's own screen saver through the MIT-SCREEN-SAVER
// extension (version 1.1 or later). The server counts suspensions per client,
// so this sends exactly one suspend per hold and one resume per release. On a
// server without the extension both do nothing.
class X11ScreenSaverSuspend
{
public:
    explicit X11ScreenSaverSuspend(xcb_connection_t* connection);
    ~X11ScreenSaverSuspend();
    X11ScreenSaverSuspend(const X11ScreenSaverSuspend&) = delete;
    X11ScreenSaverSuspend& operator=(const X11ScreenSaverSuspend&) = delete;

    bool available() const { return m_available; }
    void hold();
    void release();

private:
    xcb_connection_t* m_connection;
    bool m_available = false;
    bool m_suspended = false;
};

} // namespace melvanta
