#include "display/ElementLayout.h"

#include "storage/ProfileFile.h"
#include "storage/RegistryStore.h"

#include <QtGlobal>

#include <cmath>

namespace melvanta {

namespace {

const QString kSiteSection = QStringLiteral("clocksite");

// The default place and the limits of one element.
struct Placement
{
    bool centreByDefault = true;
    double defaultLeft = 0;
    double leftLimit = 0;
    double defaultTop = 0;
    double topLimit = 0;
};

Placement placementOf(int element, const QSize& size, const QSize& screen)
{
    const double w = screen.width();
    const double h = screen.height();
    Placement p;
    p.leftLimit = w;
    p.topLimit = h;
    switch (element) {
    case kMainTitleElement:
        p.leftLimit = w + size.width();
        p.defaultTop = 100;
        p.topLimit = h + size.height();
        break;
    case kSubtitleElement:
        p.defaultTop = 400;
        break;
    case kDateLineElement:
    case kPromptElement:
    case kDynamicTextElement:
        p.defaultTop = element * 300 + 100;
        break;
    case kClockElement:
        p.defaultTop = 1600;
        break;
    case kLogoElement:
        p.centreByDefault = false;
        p.defaultLeft = w - size.width();
        p.leftLimit = w - size.width();
        break;
    case kOvertimeClockElement:
        p.defaultTop = 4300;
        break;
    default: // the buttons
        p.centreByDefault = false;
        p.defaultLeft = (element - kFirstButtonElement) * 1000 + 2000;
        p.defaultTop = h - 3000;
        break;
    }
    return p;
}

bool usable(double coordinate, double limit)
{
    return coordinate > 0 && coordinate < limit; // false for NaN as well
}

} // namespace

int elementOfMenuTarget(int target)
{
    switch (target) {
    case kOvertimeClockTarget:
        return kOvertimeClockElement;
    case kLogoTarget:
        return kLogoElement;
    default:
        return target >= kMainTitleElement && target <= kClockElement ? target : -1;
    }
}

StoredPosition readStoredPosition(int element, const ProfileReader& profile, const RegistryStore& registry)
{
    const QString leftKey = QStringLiteral("pictureleft") + QString::number(element);
    const QString topKey = QStringLiteral("picturetop") + QString::number(element);
    StoredPosition stored;
    stored.left = profile.readNumber(kSiteSection, leftKey, kUnknownPosition);
    stored.top = profile.readNumber(kSiteSection, topKey, kUnknownPosition);
    if (stored.left == kUnknownPosition || stored.top == kUnknownPosition) {
        stored.left = registry.number(leftKey, static_cast<qint32>(kUnknownPosition));
        stored.top = registry.number(topKey, static_cast<qint32>(kUnknownPosition));
    }
    return stored;
}

QPoint placeElement(int element, const StoredPosition& stored, const QSize& elementSize, const QSize& screen,
                    bool alwaysCentred, double defaultTop)
{
    const bool isElement = (element >= kMainTitleElement && element <= kOvertimeClockElement) ||
                           (element >= kFirstButtonElement && element < kElementSlots);
    if (!isElement)
        return QPoint(0, 0);
    const Placement p = placementOf(element, elementSize, screen);
    const double centre = (screen.width() - elementSize.width()) / 2;
    double left = p.centreByDefault ? centre : p.defaultLeft;
    if (alwaysCentred)
        left = centre;
    else if (usable(stored.left, p.leftLimit))
        left = stored.left;
    const double fallbackTop = defaultTop >= 0 ? defaultTop : p.defaultTop;
    const double top = usable(stored.top, p.topLimit) ? stored.top : fallbackTop;
    return QPoint(static_cast<int>(left), static_cast<int>(top));
}

std::array<double, kElementSlots> firstRunTops(const std::array<int, kElementSlots>& heights, int screenHeight)
{
    std::array<double, kElementSlots> tops{};
    // The buttons along the foot of the screen, just above its edge.
    int buttons = 0;
    for (int i = kFirstButtonElement; i < kElementSlots; ++i)
        buttons = qMax(buttons, heights[i]);
    const double buttonTop = qMax(0, screenHeight - buttons - kArrangementGapTwips);
    for (int i = kFirstButtonElement; i < kElementSlots; ++i)
        tops[i] = buttonTop;

    static constexpr int kStack[] = {kMainTitleElement, kSubtitleElement,      kDateLineElement,   kPromptElement,
                                     kClockElement,     kOvertimeClockElement, kDynamicTextElement};
    double used = 0;
    int stacked = 0;
    for (int element : kStack) {
        if (heights[element] > 0) {
            used += heights[element];
            ++stacked;
        }
    }
    // Even room above, between and below the stacked elements, down to the buttons.
    const double gap =
        stacked > 0 ? qMax<double>(kArrangementGapTwips, (buttonTop - used) / (stacked + 1)) : kArrangementGapTwips;
    double y = gap;
    for (int element : kStack) {
        tops[element] = y;
        if (heights[element] > 0)
            y += heights[element] + gap;
    }
    tops[kLogoElement] = 0;
    return tops;
}

TwipsScale::TwipsScale(double dpiX, double dpiY)
{
    if (dpiX > 0)
        m_perPixelX = 1440.0 / dpiX;
    if (dpiY > 0)
        m_perPixelY = 1440.0 / dpiY;
}

QSize TwipsScale::toTwips(const QSize& pixels) const
{
    return QSize(qRound(pixels.width() * m_perPixelX), qRound(pixels.height() * m_perPixelY));
}

QPoint TwipsScale::toPixels(const QPoint& twips) const
{
    return QPoint(xToPixels(twips.x()), yToPixels(twips.y()));
}

int TwipsScale::xToPixels(double twips) const
{
    return static_cast<int>(std::lround(twips / m_perPixelX));
}

int TwipsScale::yToPixels(double twips) const
{
    return static_cast<int>(std::lround(twips / m_perPixelY));
}

} // namespace melvanta
