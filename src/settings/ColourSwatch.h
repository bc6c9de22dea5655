#pragma once

#include <QPushButton>

namespace melvanta {

// A colour box of the settings pages: its background is the colour, its
// text (for the background boxes) the picture name. A click opens the
// colour chooser; a chosen colour is kept as the stored colour's decimal
// text and, on a background box, replaces the picture.
class ColourSwatch : public QPushButton
{
    Q_OBJECT
public:
    ColourSwatch(const QString& objectName, const QString& accessibleName, bool holdsPicture,
                 QWidget* parent = nullptr);

    // The colour as the stage stores it: a signed decimal, negative for a
    // system colour (shown as the matching palette colour).
    void setColourText(const QString& colour);
    QString colourText() const { return m_colour; }
    // The picture name of a background box; empty when it shows its colour.
    void setPicture(const QString& name);
    QString picture() const { return m_picture; }

Q_SIGNALS:
    void colourChosen();

private:
    void chooseColour();
    void showColour();

    QString m_colour;
    QString m_picture;
    bool m_holdsPicture;
};

} // namespace melvanta
