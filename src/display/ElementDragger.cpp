#include "display/ElementDragger.h"

#include "display/ClockWindow.h"
#include "display/ColourMapping.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>

namespace melvanta {

ElementDragger::ElementDragger(ClockWindow& window) : QObject(&window), m_window(window)
{}

void ElementDragger::watchElements()
{
    for (int element = 0; element < kElementSlots; ++element) {
        if (QWidget* widget = m_window.elementWidget(element))
            widget->installEventFilter(this);
    }
    for (int line = 1; line < 5; ++line)
        m_window.textLine(line)->installEventFilter(this);
}

int ElementDragger::elementOf(const QObject* object) const
{
    const auto* widget = qobject_cast<const QWidget*>(object);
    if (!widget)
        return -1;
    for (int element = 0; element < kElementSlots; ++element) {
        const QWidget* candidate = m_window.elementWidget(element);
        if (candidate && (candidate == widget || candidate->isAncestorOf(widget)))
            return element;
    }
    return -1;
}

bool ElementDragger::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Enter) {
        for (int i = 0; i < kButtonCount; ++i) {
            if (watched == m_window.button(i))
                setButtonHighlighted(i, true);
        }
        return false;
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    const int element = elementOf(watched);
    if (element < 0)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (type == QEvent::MouseButtonPress)
        return elementPressed(element, mouse);
    if (type == QEvent::MouseMove)
        return elementDragged(element, mouse);
    elementReleased(element, mouse);
    // A button still needs its release to tell a click.
    return element < kFirstButtonElement;
}

bool ElementDragger::elementPressed(int element, QMouseEvent* event)
{
    const QPoint global = event->globalPosition().toPoint();
    const bool left = event->button() == Qt::LeftButton;
    m_dragElement = left ? element : -1;
    m_dragAnchor = m_window.elementWidget(element)->mapFromGlobal(global);
    // A button clicks on its own; its right press offers the command menu.
    if (element >= kFirstButtonElement)
        return false;

    if (element >= kSubtitleElement && element <= kDynamicTextElement) {
        m_window.dongtaiRefresh(element);
        if (element == kDynamicTextElement && left)
            setBoxFramed(element, true);
    }
    if (element <= kDynamicTextElement)
        m_window.setMenuTarget(element);
    if (event->button() == Qt::RightButton) {
        // Two elements are numbered differently in the menu; the mapping is its own inverse.
        m_window.setMenuTarget(elementOfMenuTarget(element));
        Q_EMIT elementMenuRequested(m_window.menuTarget(), global);
    }
    return true;
}

bool ElementDragger::elementDragged(int element, QMouseEvent* event)
{
    const bool isButton = element >= kFirstButtonElement;
    if (!m_window.isAdjusting() || !(event->buttons() & Qt::LeftButton) || m_dragElement != element)
        return !isButton;
    QWidget* widget = m_window.elementWidget(element);
    const QPoint at = widget->mapFromGlobal(event->globalPosition().toPoint());
    widget->move(widget->pos() + at - m_dragAnchor);
    // The logo is stored once it is let go.
    if (element != kLogoElement)
        m_window.storeElementPlace(element);
    return true;
}

void ElementDragger::elementReleased(int element, QMouseEvent* event)
{
    if (element >= kSubtitleElement && element <= kDynamicTextElement) {
        setBoxFramed(element, false);
        if (element == kDynamicTextElement)
            m_window.dongtaiRefresh(element);
    }
    if (event->button() != Qt::LeftButton)
        return;
    if (element == kLogoElement && m_window.isAdjusting() && m_dragElement == kLogoElement)
        m_window.storeElementPlace(kLogoElement);
    m_dragElement = -1;
}

void ElementDragger::setBoxFramed(int element, bool framed)
{
    // Text lines 1 ... 4 stand in frames of their own.
    if (auto* box = qobject_cast<QFrame*>(m_window.textBox(element)))
        box->setFrameStyle(framed ? QFrame::Box | QFrame::Plain : QFrame::NoFrame);
}

void ElementDragger::backgroundHovered()
{
    for (int i = 0; i < kButtonCount; ++i)
        setButtonHighlighted(i, false);
}

void ElementDragger::setButtonHighlighted(int index, bool on)
{
    QLabel* button = m_window.button(index);
    if (button->autoFillBackground() == on)
        return;
    if (on) {
        // The menu colour, opaque.
        QPalette palette = button->palette();
        palette.setColor(QPalette::Window,
                         toQColor(OleColour::fromValue(qint32(0x80000004u)), QGuiApplication::palette()));
        button->setPalette(palette);
    }
    button->setAutoFillBackground(on);
    button->update();
}

} // namespace melvanta
