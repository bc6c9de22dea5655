#pragma once

#include <QPoint>
#include <QSize>

#include <array>

namespace melvanta {

class ProfileReader;
class RegistryStore;

// The numbers under which the display elements' positions are stored.
enum ElementIndex : int
{
    kMainTitleElement = 0,
    kSubtitleElement = 1,
    kDateLineElement = 2,
    kPromptElement = 3,
    kDynamicTextElement = 4,
    kClockElement = 5,
    kLogoElement = 6,
    kOvertimeClockElement = 7,
    kButtonStateElement = 9, // holds whether the buttons are shown, not a position
    kFirstButtonElement = 10 // the buttons are 10 ... 14
};
inline constexpr int kButtonCount = 5;
inline constexpr int kElementSlots = kFirstButtonElement + kButtonCount;

// The element menu acts on the element last pressed: the text lines 0 ... 4,
// then these. Two of them are numbered differently from where their places
// are stored (ElementIndex).
enum ElementMenuTarget : int
{
    kClockTarget = 5,
    kOvertimeClockTarget = 6,
    kLogoTarget = 7
};
// The element index under which a menu target's place is stored; -1 for none.
int elementOfMenuTarget(int target);

// A coordinate nobody has stored yet.
inline constexpr double kUnknownPosition = -100;

// Stored left and top of an element, in twips, as read (possibly garbage).
struct StoredPosition
{
    double left = kUnknownPosition;
    double top = kUnknownPosition;
};

// The stored position of an element: the profile section "clocksite"; when
// either coordinate there is unknown, both come from the per-user store.
StoredPosition readStoredPosition(int element, const ProfileReader& profile, const RegistryStore& registry);

// Where an element goes, in twips of the window. A stored coordinate counts
// only when it is above 0 and below the element's limit; otherwise the
// element takes its default place (mostly centred, the logo at the right
// edge, the buttons in a row near the bottom). `alwaysCentred` centres the
// element whatever is stored (the main title and the subtitle can ask for it).
// `defaultTop`, when given (0 or more), replaces the element's own default top.
QPoint placeElement(int element, const StoredPosition& stored, const QSize& elementSize, const QSize& screen,
                    bool alwaysCentred = false, double defaultTop = -1);

// The first-run arrangement: the default tops of the elements (twips) when
// nothing usable is stored. The text lines and the clocks stand one above
// the other, main title, subtitle, date line, prompt, clock, overtime clock,
// dynamic text, evenly spaced between the top of the screen and the row of
// buttons at its foot, so that none covers another. `heights` holds each
// element's height (twips) by element index; an element of height 0 takes
// no room. The logo keeps the top right corner.
std::array<double, kElementSlots> firstRunTops(const std::array<int, kElementSlots>& heights, int screenHeight);

// The room between two elements of the first-run arrangement, at least.
inline constexpr int kArrangementGapTwips = 90;

// Twips of the window against screen pixels: 1440 twips make an inch.
class TwipsScale
{
public:
    TwipsScale() = default;
    TwipsScale(double dpiX, double dpiY);

    double perPixelX() const { return m_perPixelX; }
    double perPixelY() const { return m_perPixelY; }
    QSize toTwips(const QSize& pixels) const;
    QPoint toPixels(const QPoint& twips) const;
    int xToPixels(double twips) const;
    int yToPixels(double twips) const;

private:
    double m_perPixelX = 15;
    double m_perPixelY = 15;
};

} // namespace melvanta
