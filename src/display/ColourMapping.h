#pragma once

#include "core/Encodings.h"

#include <QColor>
#include <QPalette>

namespace melvanta {

// The screen colour of a stored colour: RGB values as they are, system
// colours through the palette (window text, window background, ...).
QColor toQColor(const OleColour& colour, const QPalette& palette);
inline QColor toQColor(const QString& colourText, const QPalette& palette)
{
    return toQColor(OleColour::fromText(colourText), palette);
}

} // namespace melvanta
