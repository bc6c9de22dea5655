#include "platform/ServerScreenSaver.h"

#include <QGuiApplication>

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace melvanta {

namespace {

xcb_connection_t* connection()
{
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

template <typename Reply> std::unique_ptr<Reply, decltype(&std::free)> owned(Reply* reply)
{
    return {reply, &std::free};
}

} // namespace

bool ServerScreenSaver::available()
{
    return connection() != nullptr;
}

QVersionNumber ServerScreenSaver::extensionVersion()
{
    xcb_connection_t* c = connection();
    if (!c)
        return {};
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_screensaver_id);
    if (!extension || !extension->present)
        return {};
    const auto version = owned(xcb_screensaver_query_version_reply(c, xcb_screensaver_query_version(c, 1, 1), nullptr));
    if (!version)
        return {};
    return QVersionNumber(version->server_major_version, version->server_minor_version);
}

ServerScreenSaver::Settings ServerScreenSaver::settings()
{
    xcb_connection_t* c = connection();
    if (!c)
        return {};
    const auto reply = owned(xcb_get_screen_saver_reply(c, xcb_get_screen_saver(c), nullptr));
    if (!reply)
        return {};
    return {reply->timeout, reply->interval, reply->prefer_blanking, reply->allow_exposures};
}

void ServerScreenSaver::setSettings(const Settings& settings)
{
    xcb_connection_t* c = connection();
    if (!c)
        return;
    // Checked, so that the new settings are in force when this returns.
    std::free(xcb_request_check(c, xcb_set_screen_saver_checked(c, settings.timeout, settings.interval,
                                                                settings.preferBlanking, settings.allowExposures)));
}

void ServerScreenSaver::reset()
{
    if (xcb_connection_t* c = connection())
        std::free(xcb_request_check(c, xcb_force_screen_saver_checked(c, XCB_SCREEN_SAVER_RESET)));
}

void ServerScreenSaver::activate()
{
    if (xcb_connection_t* c = connection())
        std::free(xcb_request_check(c, xcb_force_screen_saver_checked(c, XCB_SCREEN_SAVER_ACTIVE)));
}

ServerScreenSaver::State ServerScreenSaver::state()
{
    xcb_connection_t* c = connection();
    const xcb_query_extension_reply_t* extension = c ? xcb_get_extension_data(c, &xcb_screensaver_id) : nullptr;
    if (!extension || !extension->present)
        return State::Unknown;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const auto info = owned(xcb_screensaver_query_info_reply(c, xcb_screensaver_query_info(c, root), nullptr));
    if (!info)
        return State::Unknown;
    switch (info->state) {
    case XCB_SCREENSAVER_STATE_OFF:
        return State::Off;
    case XCB_SCREENSAVER_STATE_ON:
        return State::On;
    case XCB_SCREENSAVER_STATE_CYCLE:
        return State::Cycle;
    case XCB_SCREENSAVER_STATE_DISABLED:
        return State::Disabled;
    }
    return State::Unknown;
}

} // namespace melvanta
