#pragma once

#include "core/StageSettings.h"
#include "display/ElementLayout.h"
#include "display/MarqueeStep.h"
#include "display/WindowBackground.h"
#include "timing/ClockScreen.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

#include <array>

class QLabel;
class QTimer;

namespace melvanta {

class ClockFace;
class CurrentStage;
class ElementDragger;
class ElementMenuController;
class LogoBox;
class MenuHost;
class ProfileReader;
class ProgramStores;
class TextLines;

// The window the audience sees ("desk_clock"): maximised, with the big clock,
// the overtime clock, the titles, the date line, the prompt text, the dynamic
// text and the logo over a background colour or picture, and five buttons
// for the operator. It shows the current stage and what the timing engine
// decides, and reports clicks and menu requests; it decides nothing about
// the run itself. Its stores and the current stage are the program's own.
class ClockWindow : public QWidget, public ClockScreen
{
    Q_OBJECT
public:
    ClockWindow(ProgramStores& stores, CurrentStage& stage, QWidget* parent = nullptr);
    ~ClockWindow() override;

    // The load: makes `settings` the current stage and shows it with the
    // clock text it shows before its run, and the button state remembered
    // in the profile file.
    void applyStage(const StageSettings& settings);
    // The menu host that receives the command state and the window state.
    void setMenuHost(MenuHost* host);

    // ClockScreen
    void showClockText(const QString& text) override;
    void showOvertimeText(const QString& text) override;
    void showEndText(const QString& text) override;
    void setPromptText(const QString& text) override;
    void setPromptVisible(bool visible) override;
    void setDateLine(const QString& text) override;
    void showRestartDelay(int seconds) override;
    void applyPhaseLook(int phase) override { backgroundupdate(phase); }
    void setClockVisible(bool visible) override;
    bool isClockVisible() const override;
    void setOvertimeClockVisible(bool visible) override;
    bool isOvertimeClockVisible() const override;
    void refreshStage(const QString& initialClockText) override;
    void showLongTerm(const QString& dateLine, const QString& clockText) override;
    void setMarqueeRunning(bool running) override;
    void setCommandState(const CommandState& state) override;
    void endAdjusting() override { SetAdjustMode(0); }

    // Draws `text` at `points` into the clock box (the overtime box for
    // `ShowStatuechao`), refits the box to the text and shows it; an empty
    // text changes nothing.
    void ShowStatue(const QString& text, int points);
    void ShowStatuechao(const QString& text, int points);
    // Clock colour and background of an alert phase (0 start ... 6 end);
    // any other phase changes nothing.
    void backgroundupdate(int phase);
    // A background chosen outside the stage, shown until the stage's own is
    // applied again (a stage load, or a phase with its own look): a plain
    // colour under the clock and the element boxes, without picture; or
    // the picture at `path` stretched over the window, the clocks in `clockColour`.
    void overrideBackground(const QColor& colour);
    void overrideBackgroundPicture(const QString& path, const QColor& clockColour);
    // The layout pass: background, stored positions, element places.
    void relayout();
    // The names other windows use for the layout pass.
    void Frm_Resize() { relayout(); }
    void fromRefresh() { relayout(); }

    // The dynamic text line; hidden when empty or switched off by the stage.
    void setDynamicText(const QString& text);
    QString dynamicText() const;
    // Fits the box of text line 1 ... 4 to its text (the dynamic text's box
    // keeps the marquee width) and shows it when it has something to show.
    void dongtaiRefresh(int index);
    // One step of the marquee; the marquee timer runs it.
    void stepMarquee();
    const MarqueeSettings& marquee() const;
    const QTimer* marqueeTimer() const;

    // Element adjusting: on (1) the elements can be dragged, empty text
    // lines show their names and all five buttons are enabled; anything
    // else switches it off. While adjusting, the buttons do not run their
    // commands.
    void SetAdjustMode(int state);
    void setAdjusting(bool on) { SetAdjustMode(on ? 1 : 0); }
    bool isAdjusting() const { return m_adjusting; }
    bool isMarqueeRunning() const;
    void setButtonsShown(bool shown);
    bool buttonsShown() const { return m_buttonsShown; }

    const StageSettings& stage() const;
    CurrentStage& currentStage() const { return m_stage; }
    ProgramStores& stores() const { return m_stores; }
    QString clockText() const;
    ClockFace* clockFace() const { return m_clock; }
    ClockFace* overtimeFace() const { return m_overtime; }
    QLabel* mainTitle() const { return textLine(0); }
    // Text lines 0 ... 4 (main title, subtitle, date line, prompt, dynamic
    // text) and the boxes of lines 1 ... 4 (line 0 has no box: itself).
    QLabel* textLine(int line) const;
    QWidget* textBox(int line) const;
    LogoBox* logoBox() const { return m_logo; }
    QLabel* button(int index) const { return m_buttons.at(index); }
    QLabel* restartNotice() const { return m_restartNotice; }
    bool hasBackgroundPicture() const { return m_background.hasPicture(); }
    QColor backgroundColour() const { return m_background.colour(); }
    // The screen extent the last layout pass used, in twips.
    QSize screenExtent() const { return m_screenTwips; }
    TwipsScale twipsScale() const;
    // The widget of element `element` (ElementIndex), nullptr for none.
    QWidget* elementWidget(int element) const;
    // Puts `element` where the layout puts it now.
    void placeElement(int element);
    // Where later layout passes put `element` until the stored places are read again.
    void keepStoredPosition(int element, const StoredPosition& place) { m_stored.at(element) = place; }

    // Stores where `element` stands now, as a drag with the mouse does, and
    // keeps it there in later layout passes.
    void storeElementPlace(int element);
    // For the adjustment tool of the settings dialog: text line `line`
    // shows its name when it is empty, the names go again, a line is drawn
    // at another size until the stage is applied again.
    void showPlaceholder(int line);
    void hidePlaceholders();
    void previewLineSize(int line, int points);

    // The element the element menu acts on (ElementMenuTarget numbering),
    // -1 before any element was pressed.
    int menuTarget() const { return m_menuTarget; }
    void setMenuTarget(int target) { m_menuTarget = target; }
    QWidget* targetWidget(int target) const;
    QFont targetFont(int target) const;
    QColor targetColour(int target) const;
    // A size chosen for the overtime clock alone (0: the clock's size).
    void setOvertimePoints(int points) { m_overtimePoints = points; }
    // A message of the operator's on the prompt line, over the phases' prompts; "" takes it away.
    void setOperatorMessage(const QString& text);
    // The prompt line shows the week day in long-term timing, as the stage says.
    void refreshPrompt();

Q_SIGNALS:
    // The window has been painted for the first time.
    void firstPainted();
    // Button 0 ... 4 (start, stop, pause, settings, exit) was clicked.
    void buttonClicked(int index);
    // A right press on a button or on the background.
    void commandMenuRequested(const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createButtons();
    void applyStageLook(const QString& initialClockText);
    void applyElements(const QString& clockText, const ProfileReader& profile);
    void applyLogo(const ProfileReader& profile);
    void relayout(const ProfileReader& profile);
    // The background and clock colours of an alert phase, without a layout pass.
    void applyPhaseBackground(int phase);
    void placeRestartNotice();
    void applyButtonStates();
    // Default places for the elements that have none stored.
    void arrangeFirstRun();

    ProgramStores& m_stores;
    CurrentStage& m_stage;
    TextLines* m_text = nullptr;
    ClockFace* m_clock;
    ClockFace* m_overtime;
    LogoBox* m_logo;
    QLabel* m_restartNotice;
    std::array<QLabel*, kButtonCount> m_buttons{};
    QPointer<MenuHost> m_menuHost;
    ElementMenuController* m_elementMenu = nullptr;
    ElementDragger* m_dragger = nullptr;

    WindowBackground m_background;
    std::array<StoredPosition, kElementSlots> m_stored{};
    std::array<double, kElementSlots> m_defaultTops{};
    CommandState m_commands;
    QSize m_screenTwips;
    int m_overtimePoints = 0;
    int m_menuTarget = -1;
    bool m_clockCentredForEnd = false;
    bool m_adjusting = false;
    bool m_buttonsShown = true;
    bool m_painted = false;
};

} // namespace melvanta
