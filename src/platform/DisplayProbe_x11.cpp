#include "platform/DisplayProbe.h"

#include <xcb/xcb.h>

namespace melvanta {

bool displayAvailable(QString* reason)
{
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith(QLatin1String("xcb")))
        return true; // offscreen, wayland, ...: Qt reports its own problems
    if (platform.isEmpty() && qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        return true;
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) {
        *reason = QStringLiteral("no display: DISPLAY is not set; start Melvanta from a desktop session or under Xvfb");
        return false;
    }
    xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
    const bool ok = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    if (!ok)
        *reason = QStringLiteral("no display: cannot connect to X display %1").arg(QString::fromLocal8Bit(display));
    return ok;
}

} // namespace melvanta
