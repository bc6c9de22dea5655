#pragma once

#include <QString>

namespace melvanta {

// What the adjustment tool moves and sizes on the clock window. Every move
// is stored as a mouse drag stores it.
class AdjustableScreen
{
public:
    // The elements of the chooser, in its order.
    enum Target
    {
        MainTitle,
        Subtitle,
        Clock,
        Prompt,
        DynamicText,
        Logo,
        EndText,
        TargetCount
    };
    virtual ~AdjustableScreen() = default;
    // Makes `target` visible (an empty text line shows its name) and stores its place.
    virtual void showForAdjusting(int target) = 0;
    // Horizontally centred on the screen, its top kept.
    virtual void centre(int target) = 0;
    virtual void move(int target, int rightTwips, int downTwips) = 0;
    // Redraws `target` at `points`, nothing stored.
    virtual void resize(int target, int points) = 0;
    // The end text shows `text` so that its size can be judged; an empty
    // text brings back what the clock showed.
    virtual void showEndSample(const QString& text) = 0;
    // Hides what was shown only for adjusting and has nothing to show.
    virtual void hideAdjusted() = 0;
};

} // namespace melvanta
