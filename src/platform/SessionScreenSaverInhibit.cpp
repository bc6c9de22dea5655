#include "platform/SessionScreenSaverInhibit.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <optional>

namespace melvanta {

namespace {

const QString service = QStringLiteral("org.freedesktop.ScreenSaver");
const QString path = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString interface = QStringLiteral("org.freedesktop.ScreenSaver");

void uninhibit(const QDBusConnection& bus, uint cookie)
{
    // A bus that died in the meantime took the inhibition with it.
    if (!bus.isConnected() || !QCoreApplication::instance())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("UnInhibit"));
    call << cookie;
    bus.send(call); // no answer needed
}

} // namespace

struct SessionScreenSaverInhibit::Inhibition
{
    std::optional<uint> cookie;
    bool released = false;
};

SessionScreenSaverInhibit::SessionScreenSaverInhibit(const QDBusConnection& bus) : m_bus(bus)
{}

SessionScreenSaverInhibit::~SessionScreenSaverInhibit()
{
    release();
}

void SessionScreenSaverInhibit::hold()
{
    if (m_inhibition)
        return;
    m_inhibition = std::make_shared<Inhibition>();
    if (!m_bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Inhibit"));
    call << QStringLiteral("Melvanta") << QStringLiteral("计时进行中");
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished,
                     [bus = m_bus, inhibition = m_inhibition](QDBusPendingCallWatcher* finished) {
                         finished->deleteLater();
                         const QDBusPendingReply<uint> reply = *finished;
                         if (reply.isError())
                             return; // no screen saver service on this bus, or the bus went away
                         inhibition->cookie = reply.value();
                         // Released before the cookie came: take the inhibition back now.
                         if (inhibition->released)
                             uninhibit(bus, *inhibition->cookie);
                     });
}

void SessionScreenSaverInhibit::release()
{
    if (!m_inhibition)
        return;
    m_inhibition->released = true;
    if (m_inhibition->cookie)
        uninhibit(m_bus, *m_inhibition->cookie);
    m_inhibition.reset();
}

} // namespace melvanta
