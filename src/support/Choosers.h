#pragma once

#include <QColor>
#include <QFont>

#include <optional>

class QWidget;

namespace melvanta {

struct FontChoice
{
    QFont font;
    QColor colour;
};

// Every font and colour chooser the program opens goes through here. Tests
// give the next answer in advance, so that no chooser ever blocks: the next
// call then returns that answer instead of showing anything.
class Choosers
{
public:
    // A font with its colour; nothing when the operator cancels the font.
    static std::optional<FontChoice> chooseFont(const QFont& initialFont, const QColor& initialColour,
                                                QWidget* parent = nullptr);
    // A colour; nothing when the operator cancels.
    static std::optional<QColor> chooseColour(const QColor& initial, QWidget* parent = nullptr);

    // Test hooks: the answer of the next chooser, used once.
    static void setNextFont(const QFont& font, const QColor& colour);
    static void setNextColour(const QColor& colour);
    static void setNextCancelled();
    static void clearNextAnswer();
};

} // namespace melvanta
