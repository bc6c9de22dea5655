#include "remote/RemoteConfig.h"

#include "storage/ProfileFile.h"

namespace melvanta {

namespace {

const QString kSection = QStringLiteral("Remote");
const QString kEnabledKey = QStringLiteral("enabled");
const QString kPortKey = QStringLiteral("port");
const QString kListenKey = QStringLiteral("listen");
const QString kLoopback = QStringLiteral("loopback");
const QString kAll = QStringLiteral("all");

} // namespace

int RemoteConfig::parsePort(const QString& text)
{
    bool ok = false;
    const QString trimmed = text.trimmed();
    const int port = trimmed.toInt(&ok);
    // Digits only: "+4080" or "4080.0" is not what a port box takes.
    for (QChar c : trimmed)
        ok = ok && c.isDigit();
    return ok && port >= kLowestPort && port <= kHighestPort ? port : -1;
}

RemoteConfig RemoteConfig::read(const ProfileReader& profile)
{
    RemoteConfig config;
    config.enabled = profile.readPart(kSection, kEnabledKey, QStringLiteral("0")).trimmed() == QLatin1String("1");
    const int port = parsePort(profile.readPart(kSection, kPortKey, QString()));
    if (port > 0)
        config.port = port;
    config.loopbackOnly = profile.readPart(kSection, kListenKey, kAll).trimmed() == kLoopback;
    return config;
}

bool RemoteConfig::write(ProfileFile& profile) const
{
    return profile.write(kSection, kEnabledKey, enabled ? QStringLiteral("1") : QStringLiteral("0")) &&
           profile.write(kSection, kPortKey, QString::number(port)) &&
           profile.write(kSection, kListenKey, loopbackOnly ? kLoopback : kAll);
}

} // namespace melvanta
