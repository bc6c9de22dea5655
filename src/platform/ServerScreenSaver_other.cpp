#include "platform/ServerScreenSaver.h"

namespace melvanta {

bool ServerScreenSaver::available()
{
    return false;
}

QVersionNumber ServerScreenSaver::extensionVersion()
{
    return {};
}

ServerScreenSaver::Settings ServerScreenSaver::settings()
{
    return {};
}

void ServerScreenSaver::setSettings(const Settings&)
{}

void ServerScreenSaver::reset()
{}

void ServerScreenSaver::activate()
{}

ServerScreenSaver::State ServerScreenSaver::state()
{
    return State::Unknown;
}

} // namespace melvanta
