#pragma once

#include <QVersionNumber>

namespace melvanta {

// The X server's built-in screen saver as the server sees it: its idle
// settings and whether it is on. Outside X11 there is none: available() is
// false, state() Unknown and the setters do nothing.
class ServerScreenSaver
{
public:
    enum class State
    {
        Off,
        On,
        Cycle,
        Disabled,
        Unknown
    };
    struct Settings
    {
        int timeout = 0;  // idle seconds before it comes on; 0: never
        int interval = 0; // seconds between pattern changes of a non-blanking saver
        int preferBlanking = 0;
        int allowExposures = 0;
    };

    static bool available();
    static QVersionNumber extensionVersion(); // MIT-SCREEN-SAVER; null when the server lacks it
    static Settings settings();
    static void setSettings(const Settings& settings);
    static void reset();    // as if the user had touched the mouse: the saver goes off and the idle time restarts
    static void activate(); // turns the saver on now
    static State state();
};

} // namespace melvanta
