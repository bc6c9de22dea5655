#include "display/ExtendedScreen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <limits>

namespace melvanta {

namespace {

constexpr int kOffsetTwips = 5000;
constexpr double kTwipsPerInch = 1440.0;

} // namespace

QScreen* screenAtColumn(int x)
{
    QScreen* nearest = nullptr;
    int nearestDistance = std::numeric_limits<int>::max();
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->geometry();
        const int distance = x < area.left() ? area.left() - x : (x > area.right() ? x - area.right() : 0);
        if (distance < nearestDistance) {
            nearest = screen;
            nearestDistance = distance;
        }
    }
    return nearest;
}

bool placeOnExtendedScreen(QWidget& window, bool extended)
{
    QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return !extended;
    const QRect primaryArea = primary->geometry();
    const int offset = qRound(kOffsetTwips * primary->logicalDotsPerInchX() / kTwipsPerInch);
    const int left = primaryArea.left() + (extended ? primaryArea.width() : 0) + offset;

    window.showNormal();
    window.move(left, window.y());
    // Maximising keeps a window on the display that holds it; a left edge
    // beyond every display falls back to the nearest one, as the primary
    // display when there is no other.
    QScreen* target = screenAtColumn(left);
    if (!target)
        target = primary;
    const bool found = !extended || (QGuiApplication::screens().size() > 1 && target != primary);
    if (!found)
        target = primary;
    // Without a window manager a maximised window keeps its size: give it the
    // display's area first.
    window.setGeometry(target->availableGeometry());
    window.showMaximized();
    return found;
}

} // namespace melvanta
