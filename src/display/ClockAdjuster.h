#pragma once

#include "display/AdjustableScreen.h"

namespace melvanta {

class ClockWindow;

// The adjustment tool's hands on the clock window: it shows, moves, centres
// and sizes the chosen element and stores its place as a drag does.
class ClockAdjuster : public AdjustableScreen
{
public:
    explicit ClockAdjuster(ClockWindow& window) : m_window(window) {}

    void showForAdjusting(int target) override;
    void centre(int target) override;
    void move(int target, int rightTwips, int downTwips) override;
    void resize(int target, int points) override;
    void showEndSample(const QString& text) override;
    void hideAdjusted() override;

    // The element index under which `target`'s place is stored.
    static int elementOf(int target);

private:
    ClockWindow& m_window;
    QString m_clockText; // what the clock showed before the end sample
    bool m_sampleShown = false;
    bool m_clockShown = false; // the clock was hidden and the tool showed it
    bool m_logoShown = false;
};

} // namespace melvanta
