#include "settings/ColourSwatch.h"

#include "core/Encodings.h"
#include "display/ColourMapping.h"
#include "support/Choosers.h"

namespace melvanta {

ColourSwatch::ColourSwatch(const QString& objectName, const QString& accessibleName, bool holdsPicture, QWidget* parent)
    : QPushButton(parent), m_holdsPicture(holdsPicture)
{
    setObjectName(objectName);
    setAccessibleName(accessibleName);
    setAutoDefault(false);
    setMinimumWidth(holdsPicture ? 110 : 40);
    connect(this, &QPushButton::clicked, this, &ColourSwatch::chooseColour);
    showColour();
}

void ColourSwatch::setColourText(const QString& colour)
{
    m_colour = colour.trimmed();
    showColour();
}

void ColourSwatch::setPicture(const QString& name)
{
    m_picture = m_holdsPicture ? name : QString();
    setText(m_picture);
    setToolTip(m_picture);
}

void ColourSwatch::chooseColour()
{
    const std::optional<QColor> chosen = Choosers::chooseSwatchColour(window());
    if (!chosen)
        return;
    setColourText(OleColour::rgb(chosen->red(), chosen->green(), chosen->blue()).text());
    setPicture(QString());
    Q_EMIT colourChosen();
}

void ColourSwatch::showColour()
{
    const QColor shown = toQColor(m_colour, palette());
    // The text stays readable on dark and light colours alike.
    const QColor textColour = shown.lightnessF() < 0.5 ? Qt::white : Qt::black;
    setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: %2; border: 1px solid gray; "
                                 "padding: 2px 6px; }")
                      .arg(shown.name(), textColour.name()));
}

} // namespace melvanta
