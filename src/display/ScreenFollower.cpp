#include "display/ScreenFollower.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace melvanta {

namespace {

// How long the window manager gets to fit a maximised window to a changed
// display before the window fits itself.
constexpr int kWindowManagerGraceMs = 300;

} // namespace

ScreenFollower::ScreenFollower(QWidget& window) : QObject(&window), m_window(window)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kWindowManagerGraceMs);
    connect(&m_settle, &QTimer::timeout, this, &ScreenFollower::follow);
    m_window.installEventFilter(this);
    watchWindowHandle();
    for (auto signal :
         {&QGuiApplication::screenAdded, &QGuiApplication::screenRemoved, &QGuiApplication::primaryScreenChanged})
        connect(qGuiApp, signal, this, &ScreenFollower::scheduleFollow);
}

bool ScreenFollower::eventFilter(QObject* watched, QEvent* event)
{
    // The native window, and with it the screen signal, exists from the first show.
    if (watched == &m_window && (event->type() == QEvent::Show || event->type() == QEvent::WinIdChange))
        watchWindowHandle();
    return QObject::eventFilter(watched, event);
}

void ScreenFollower::watchWindowHandle()
{
    QWindow* handle = m_window.windowHandle();
    if (!handle || m_handleWatched)
        return;
    m_handleWatched = true;
    connect(handle, &QWindow::screenChanged, this, [this](QScreen* screen) {
        watchScreen(screen);
        scheduleFollow();
    });
    connect(handle, &QObject::destroyed, this, [this] { m_handleWatched = false; });
    watchScreen(handle->screen());
    m_area = m_screen ? m_screen->availableGeometry() : QRect();
}

void ScreenFollower::watchScreen(QScreen* screen)
{
    if (m_screen == screen)
        return;
    if (m_screen)
        disconnect(m_screen, nullptr, this, nullptr);
    m_screen = screen;
    if (!screen)
        return;
    connect(screen, &QScreen::geometryChanged, this, &ScreenFollower::scheduleFollow);
    connect(screen, &QScreen::availableGeometryChanged, this, &ScreenFollower::scheduleFollow);
}

void ScreenFollower::scheduleFollow()
{
    // Lay out for the display as it reads now, and once more when the
    // window manager has had its turn.
    Q_EMIT followed();
    m_settle.start();
}

void ScreenFollower::follow()
{
    if (QWindow* handle = m_window.windowHandle())
        watchScreen(handle->screen());
    if (!m_screen)
        return;
    const QRect area = m_screen->availableGeometry();
    const bool filling =
        !m_window.isMinimized() && (m_window.isMaximized() || m_window.isFullScreen() || m_window.geometry() == m_area);
    if (filling && m_window.geometry() != area)
        m_window.setGeometry(area);
    m_area = area;
    Q_EMIT followed();
}

} // namespace melvanta
