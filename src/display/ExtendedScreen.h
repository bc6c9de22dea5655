#pragma once

class QScreen;
class QWidget;

namespace melvanta {

// Moves `window` to the extended display (`extended`) or back to the primary
// one and maximises it there: the window is set to normal, its left edge goes
// to the primary display's width plus 5000 twips (just 5000 twips for the
// primary display), and the display that holds that edge maximises it.
// Returns false when the extended display was asked for but there is none;
// the window is then maximised on the primary display.
bool placeOnExtendedScreen(QWidget& window, bool extended);

// The display whose columns hold `x`, or the nearest one to its side.
QScreen* screenAtColumn(int x);

} // namespace melvanta
