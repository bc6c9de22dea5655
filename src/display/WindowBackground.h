#pragma once

#include "core/StageSettings.h"

#include <QColor>
#include <QPixmap>

class QPainter;

namespace melvanta {

// The clock window's background for an alert phase: its colour or picture
// (a picture smaller than the window is stretched over it) and the clock
// colour that goes with it.
class WindowBackground
{
public:
    // Takes the look of `phase` (0 start ... 6 end): the phase's own when
    // the stage has phase looks on, the stage's background otherwise.
    // Returns the clock colour of that look.
    QColor apply(const StageSettings& stage, int phase);
    // A look chosen outside the stage, kept until the next apply(): a plain
    // colour without picture, or the picture at `path` over the colour there is.
    void showColour(const QColor& colour);
    void showPicture(const QString& path);
    // Scales the picture for a window of `size`.
    void fitTo(const QSize& size);
    void paint(QPainter& painter, const QRect& area, const QColor& fallback) const;

    bool hasPicture() const { return !m_picture.isNull(); }
    QColor colour() const { return m_colour; }

private:
    QPixmap m_picture; // at its own size
    QPixmap m_shown;   // as painted over the window
    QColor m_colour;
};

} // namespace melvanta
