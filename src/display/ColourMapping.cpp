#include "display/ColourMapping.h"

#include <QWidget>

namespace melvanta {

QColor toQColor(const OleColour& colour, const QPalette& palette)
{
    if (!colour.isSystem)
        return QColor(colour.red, colour.green, colour.blue);
    switch (colour.systemIndex) {
    case 0x01: // desktop
    case 0x05: // window background
    case 0x0C: // application workspace
    case 0x04: // menu
        return palette.color(QPalette::Window);
    case 0x0F: // button face
        return palette.color(QPalette::Button);
    case 0x12: // button text
        return palette.color(QPalette::ButtonText);
    case 0x0D: // highlight
        return palette.color(QPalette::Highlight);
    case 0x0E: // highlighted text
        return palette.color(QPalette::HighlightedText);
    case 0x11: // grey text
        return palette.color(QPalette::Disabled, QPalette::WindowText);
    case 0x18: // tooltip background
        return palette.color(QPalette::ToolTipBase);
    case 0x17: // tooltip text
        return palette.color(QPalette::ToolTipText);
    default: // window text, menu text, caption text and the rest
        return palette.color(QPalette::WindowText);
    }
}

void setTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, colour);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    widget->setPalette(palette);
}

} // namespace melvanta
