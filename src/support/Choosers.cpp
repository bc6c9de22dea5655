#include "support/Choosers.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>

namespace melvanta {

namespace {

enum class Answer
{
    None,
    Font,
    Colour,
    Cancelled
};

// The answer waiting for the next chooser. Emptied as soon as it is used,
// so that no font outlives the application.
Answer g_next = Answer::None;
std::optional<FontChoice> g_nextChoice;
struct SaveAnswer
{
    QString path;
    int filterIndex = 0;
};
std::optional<SaveAnswer> g_nextSave;

Answer takeNext(FontChoice& choice)
{
    const Answer next = g_next;
    if (g_nextChoice)
        choice = *g_nextChoice;
    g_next = Answer::None;
    g_nextChoice.reset();
    return next;
}

} // namespace

std::optional<FontChoice> Choosers::chooseFont(const QFont& initialFont, const QColor& initialColour, QWidget* parent)
{
    FontChoice next{initialFont, initialColour};
    switch (takeNext(next)) {
    case Answer::Cancelled:
        return std::nullopt;
    case Answer::Font:
        return next;
    case Answer::Colour:
        return FontChoice{initialFont, next.colour};
    case Answer::None:
        break;
    }
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initialFont, parent, QStringLiteral("字体"));
    if (!ok)
        return std::nullopt;
    // The colour goes with the font; cancelling it keeps the old colour.
    const QColor colour = QColorDialog::getColor(initialColour, parent, QStringLiteral("颜色"));
    return FontChoice{font, colour.isValid() ? colour : initialColour};
}

std::optional<QColor> Choosers::chooseColour(const QColor& initial, QWidget* parent)
{
    FontChoice next{QFont(), initial};
    switch (takeNext(next)) {
    case Answer::Cancelled:
        return std::nullopt;
    case Answer::Font:
    case Answer::Colour:
        return next.colour;
    case Answer::None:
        break;
    }
    const QColor colour = QColorDialog::getColor(initial, parent, QStringLiteral("颜色"));
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}

std::optional<QColor> Choosers::chooseSwatchColour(QWidget* parent)
{
    // The custom colours are shared by every colour chooser of the program;
    // a swatch never shows what another chooser left there.
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, Qt::black);
    return chooseColour(Qt::black, parent);
}

QString Choosers::chooseSaveFile(const QString& title, const QString& initialPath, const QStringList& filters,
                                 QString* filter, QWidget* parent)
{
    if (g_nextSave) {
        const SaveAnswer answer = *g_nextSave;
        g_nextSave.reset();
        if (filter)
            *filter = filters.value(answer.filterIndex);
        return answer.path;
    }
    QString chosenFilter = filters.value(0);
    const QString path =
        QFileDialog::getSaveFileName(parent, title, initialPath, filters.join(QStringLiteral(";;")), &chosenFilter);
    if (filter)
        *filter = chosenFilter;
    return path;
}

void Choosers::setNextSaveFile(const QString& path, int filterIndex)
{
    g_nextSave = SaveAnswer{path, filterIndex};
}

void Choosers::setNextFont(const QFont& font, const QColor& colour)
{
    g_next = Answer::Font;
    g_nextChoice = FontChoice{font, colour};
}

void Choosers::setNextColour(const QColor& colour)
{
    g_next = Answer::Colour;
    g_nextChoice = FontChoice{QFont(), colour};
}

void Choosers::setNextCancelled()
{
    g_next = Answer::Cancelled;
    g_nextChoice.reset();
}

void Choosers::clearNextAnswer()
{
    g_next = Answer::None;
    g_nextChoice.reset();
    g_nextSave.reset();
}

} // namespace melvanta
