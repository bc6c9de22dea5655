#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>

class QScreen;
class QWidget;

namespace melvanta {

// Watches the display a top-level window is shown on: a move to another
// display, a change of that display's size (a projector plugged in, a
// resolution switch) or a display added or removed. After each change the
// window, when it was filling its display, is fitted to the display's
// area again, and `followed()` tells its owner to lay its elements out
// anew. Bursts of changes (the window manager resizing the window before or
// after the display reports its new size) end in one more pass once they
// have settled.
class ScreenFollower : public QObject
{
    Q_OBJECT
public:
    explicit ScreenFollower(QWidget& window);

    // The display area the window last filled.
    QRect followedArea() const { return m_area; }

Q_SIGNALS:
    // The window's display or its area changed and the window has been fitted.
    void followed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchWindowHandle();
    void watchScreen(QScreen* screen);
    void scheduleFollow();
    void follow();

    QWidget& m_window;
    QPointer<QScreen> m_screen;
    QRect m_area;
    QTimer m_settle;
    bool m_handleWatched = false;
};

} // namespace melvanta
