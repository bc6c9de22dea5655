#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

namespace melvanta {

// A box that draws one line of text centred in it: the clock digits and the
// overtime clock. The box takes the size of its text plus a small margin.
class ClockFace : public QWidget
{
    Q_OBJECT
public:
    explicit ClockFace(QWidget* parent = nullptr);

    // Draws `text` at `points`; an empty text leaves the box as it was.
    void showText(const QString& text, int points);
    void setFaceFont(const QString& family);
    // Family and style (weight, italic, underline, strike-out) of `font`;
    // the size stays that of the shown text.
    void setFaceStyle(const QFont& font);
    QFont faceFont() const { return m_font; }
    void setTextColour(const QColor& colour);

    QString text() const { return m_text; }
    QColor textColour() const { return m_colour; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QFont m_font;
    QColor m_colour = Qt::black;
};

} // namespace melvanta
