#pragma once

#include <QObject>
#include <QPointer>

class QColor;
class QFont;
class QPoint;

namespace melvanta {

class ClockWindow;
class MenuHost;

// The element menu "运行设置" of the clock window: which of its items an
// element offers, and what they do to the element last pressed (its font,
// colour, place, visibility, and the week day on the prompt line). The
// clock's and the date line's looks become part of the current stage and
// are kept in the per-user store.
class ElementMenuController : public QObject
{
    Q_OBJECT
public:
    ElementMenuController(ClockWindow& window, MenuHost& host, QObject* parent = nullptr);

    // Shows the items that fit `target` (ElementMenuTarget numbering) and
    // pops the menu up at `globalPos`.
    void popUp(int target, const QPoint& globalPos);
    // Runs element-menu item `item` (MenuHost::ElementItem) on the window's
    // menu target.
    void run(int item);

    // Font (its size included) and colour of a target, on the screen and,
    // for the clock and the date line, in the current stage.
    void setTargetFont(int target, const QFont& font, const QColor& colour);
    void setTargetColour(int target, const QColor& colour);
    // Centres a target on the screen and stores the new place.
    void centreTarget(int target);
    void hideTarget(int target);
    // Whether the prompt line shows the week day in long-term timing.
    void setPromptShowsWeekday(bool on);

private:
    void chooseFont(int target);
    void chooseColour(int target);
    void saveLook(int target, bool withSize);

    ClockWindow& m_window;
    QPointer<MenuHost> m_host;
};

} // namespace melvanta
