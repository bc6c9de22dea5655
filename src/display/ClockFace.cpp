#include "display/ClockFace.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QPainter>

namespace melvanta {

ClockFace::ClockFace(QWidget* parent) : QWidget(parent)
{
    m_font.setBold(true);
}

void ClockFace::showText(const QString& text, int points)
{
    if (text.isEmpty())
        return;
    m_text = text;
    m_font.setPointSize(points);
    setAccessibleName(text);
    // Every text gets a box of its own width: "时间已到！" after "00:00" is
    // as long but wider.
    const QSize fitted = sizeHint();
    if (fitted != size())
        resize(fitted);
    update();
}

void ClockFace::setFaceFont(const QString& family)
{
    m_font.setFamily(family);
    resize(sizeHint());
    update();
}

void ClockFace::setFaceStyle(const QFont& font)
{
    m_font.setFamily(font.family());
    m_font.setWeight(font.weight());
    m_font.setItalic(font.italic());
    m_font.setUnderline(font.underline());
    m_font.setStrikeOut(font.strikeOut());
    resize(sizeHint());
    update();
}

void ClockFace::setTextColour(const QColor& colour)
{
    m_colour = colour;
    update();
}

QSize ClockFace::sizeHint() const
{
    const QFontMetrics metrics(m_font);
    // A little room around the digits, as the box always had.
    return QSize(metrics.horizontalAdvance(m_text) + 8, metrics.height() + 2);
}

void ClockFace::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(m_font);
    painter.setPen(m_colour);
    painter.drawText(rect(), Qt::AlignCenter, m_text);
}

} // namespace melvanta
