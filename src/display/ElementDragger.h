#pragma once

#include <QObject>
#include <QPoint>

class QMouseEvent;

namespace melvanta {

class ClockWindow;

// The mouse side of the clock window's elements: while adjusting, the left
// button drags an element and its new place is stored; a right press picks
// the element the element menu acts on and asks for that menu. It also
// highlights the operator button under the mouse.
class ElementDragger : public QObject
{
    Q_OBJECT
public:
    explicit ElementDragger(ClockWindow& window);

    // Watches every element of the window, and the text lines in their boxes.
    void watchElements();
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The mouse has moved onto the window's own background.
    void backgroundHovered();

Q_SIGNALS:
    // A right press on element-menu target `target` at `globalPos`.
    void elementMenuRequested(int target, const QPoint& globalPos);

private:
    int elementOf(const QObject* object) const;
    bool elementPressed(int element, QMouseEvent* event);
    bool elementDragged(int element, QMouseEvent* event);
    void elementReleased(int element, QMouseEvent* event);
    void setBoxFramed(int element, bool framed);
    void setButtonHighlighted(int index, bool on);

    ClockWindow& m_window;
    int m_dragElement = -1;
    QPoint m_dragAnchor; // where the element was pressed, in its own pixels
};

} // namespace melvanta
