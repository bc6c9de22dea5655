#pragma once

#include <QLabel>

#include <functional>

namespace melvanta {

// One of the five operator buttons of the clock window: a caption that runs
// its command on a left click. Right presses go on to the window, which
// offers the command menu.
class ButtonLabel : public QLabel
{
    Q_OBJECT
public:
    ButtonLabel(const QString& caption, std::function<void()> onClick, QWidget* parent);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<void()> m_onClick;
    bool m_pressed = false;
};

} // namespace melvanta
