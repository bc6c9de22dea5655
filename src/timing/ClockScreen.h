#pragma once

#include "core/StageSettings.h"
#include "timing/CommandState.h"

#include <QString>

namespace melvanta {

// What the timing engine asks of the clock screen. The window implements
// it; tests record the calls.
class ClockScreen
{
public:
    virtual ~ClockScreen() = default;

    // The main clock's text, drawn at the clock size.
    virtual void showClockText(const QString& text) = 0;
    // The overtime clock's text; showing it makes the overtime clock visible.
    virtual void showOvertimeText(const QString& text) = 0;
    // The end text in place of the clock digits, centred on the screen.
    virtual void showEndText(const QString& text) = 0;
    virtual void setPromptText(const QString& text) = 0;
    virtual void setPromptVisible(bool visible) = 0;
    virtual void setDateLine(const QString& text) = 0;
    // Seconds left before an automatic restart; 0 or less hides the notice.
    virtual void showRestartDelay(int seconds) = 0;
    // Clock colour and background of an alert phase (0 start ... 6 end).
    virtual void applyPhaseLook(int phase) = 0;

    // The flashing elements: the clock's box and the overtime clock's box.
    virtual void setClockVisible(bool visible) = 0;
    virtual bool isClockVisible() const = 0;
    virtual void setOvertimeClockVisible(bool visible) = 0;
    virtual bool isOvertimeClockVisible() const = 0;

    // Re-applies the current stage to every element, with the clock text it
    // shows before its run, the start phase's look and a fresh layout.
    virtual void refreshStage(const QString& initialClockText) = 0;
    // The long-term display: the days left on the date line and the rest
    // of the time in the clock.
    virtual void showLongTerm(const QString& dateLine, const QString& clockText) = 0;
    // The scrolling text line runs while a run does.
    virtual void setMarqueeRunning(bool running) = 0;
    // Captions and enabled states of the command menu and the buttons.
    virtual void setCommandState(const CommandState& state) = 0;
    // A start switches element adjusting off.
    virtual void endAdjusting() = 0;
};

} // namespace melvanta
