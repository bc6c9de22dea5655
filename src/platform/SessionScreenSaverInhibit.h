#pragma once

#include <QDBusConnection>

#include <memory>

namespace melvanta {

// Asks the desktop's screen saver service on the session bus
// (org.freedesktop.ScreenSaver) to stay away: Inhibit on hold, UnInhibit with
// the cookie it answered on release. Every call is asynchronous, so a slow or
// vanished bus never stalls the clock; a bus without the service, or no bus at
// all, leaves this doing nothing, silently.
class SessionScreenSaverInhibit
{
public:
    explicit SessionScreenSaverInhibit(const QDBusConnection& bus);
    ~SessionScreenSaverInhibit();
    SessionScreenSaverInhibit(const SessionScreenSaverInhibit&) = delete;
    SessionScreenSaverInhibit& operator=(const SessionScreenSaverInhibit&) = delete;

    void hold();
    void release();

private:
    struct Inhibition; // shared with the reply handler, which may outlive this object

    QDBusConnection m_bus;
    std::shared_ptr<Inhibition> m_inhibition;
};

} // namespace melvanta
