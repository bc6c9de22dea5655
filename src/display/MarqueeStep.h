#pragma once

namespace melvanta {

class ProfileReader;

// The marquee of the dynamic text, as kept in the profile section "Marquee".
enum class MarqueeMode : int
{
    LeftToRight = 0,
    RightToLeft = 1,
    Still = 2
};

struct MarqueeSettings
{
    int mode = int(MarqueeMode::Still);
    int width = 1000; // twips: the width of the dynamic text's box
    int speed = 1;    // steps per second

    static MarqueeSettings read(const ProfileReader& profile);
};

// One step moves the text by this many twips.
inline constexpr double kMarqueeStepTwips = 100;

// A speed whose magnitude lies in 1 ... 50 is kept; anything else runs at 5.
int effectiveMarqueeSpeed(int speed);
// Milliseconds between two steps: 1000 / |speed| rounded (speed 50: 20 ms).
int marqueeInterval(int speed);

struct MarqueeMove
{
    double left = 0;   // the text's new left edge inside its box, twips
    bool stop = false; // the marquee has nothing more to do
};

// One marquee step for a text `textWidth` wide whose left edge stands at
// `left` in a box `boxWidth` wide (all twips). Right to left, text that has
// left the box comes back 100 twips inside its right edge; left to right,
// text beyond the right edge comes back just outside the left edge. A still
// text is centred and the marquee stops; an unknown mode moves nothing.
MarqueeMove marqueeStep(int mode, double left, double textWidth, double boxWidth);

} // namespace melvanta
