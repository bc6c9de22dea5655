#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

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

    // The colour of a swatch: the chooser opens on no colour of the
    // swatch's, with its sixteen custom colours all black every time.
    static std::optional<QColor> chooseSwatchColour(QWidget* parent = nullptr);

    // A file to save to, asked with `filters` ("描述 (*.ext)"), starting at
    // `initialPath`; an existing file is only taken once the operator agreed
    // to replace it. Empty when cancelled; `filter` receives the chosen filter.
    static QString chooseSaveFile(const QString& title, const QString& initialPath, const QStringList& filters,
                                  QString* filter = nullptr, QWidget* parent = nullptr);

    // Test hooks: the answer of the next chooser, used once.
    static void setNextFont(const QFont& font, const QColor& colour);
    static void setNextColour(const QColor& colour);
    static void setNextCancelled();
    // The next save chooser answers `path` (empty: cancelled) with the filter at `filterIndex`.
    static void setNextSaveFile(const QString& path, int filterIndex = 0);
    static void clearNextAnswer();
};

} // namespace melvanta
