#pragma once

#include "core/Encodings.h"

#include <QColor>
#include <QPalette>

class QWidget;

namespace melvanta {

// The screen colour of a stored colour: RGB values as they are, system
// colours through the palette (window text, window background, ...).
QColor toQColor(const OleColour& colour, const QPalette& palette);
inline QColor toQColor(const QString& colourText, const QPalette& palette)
{
    return toQColor(OleColour::fromText(colourText), palette);
}

// Sets the colour a label's text is drawn in, whether its window is active or not.
void setTextColour(QWidget* widget, const QColor& colour);

} // namespace melvanta
