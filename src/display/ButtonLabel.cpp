#include "display/ButtonLabel.h"

#include <QMouseEvent>

#include <utility>

namespace melvanta {

namespace {
const QString kButtonTip = QStringLiteral("右键更多选项…");
} // namespace

ButtonLabel::ButtonLabel(const QString& caption, std::function<void()> onClick, QWidget* parent)
    : QLabel(caption, parent), m_onClick(std::move(onClick))
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setToolTip(kButtonTip);
    setAccessibleName(caption);
    setCursor(Qt::PointingHandCursor);
}

void ButtonLabel::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    if (m_pressed)
        event->accept();
    else
        event->ignore();
}

void ButtonLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        m_onClick();
}

} // namespace melvanta
