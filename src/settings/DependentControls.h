#pragma once

#include "settings/SettingsEntries.h"

#include <QObject>

namespace melvanta {

class SystemPage;
class TimingPage;

// The rules that tie the settings dialog's controls together: the overtime
// row follows its switch, long-term timing forces a countdown that stops at
// the due date, the timing mode picks the time formats and the overtime
// action decides what happens when the time is up. They run on the
// operator's changes and once when the dialog is filled; programmatic
// changes made here never run them again.
class DependentControls : public QObject
{
    Q_OBJECT
public:
    // `working` is the dialog's copy of the stage's entries: long-term
    // timing changes its combo digits at once, and the switch strings the
    // controls fall back to are read from it.
    DependentControls(TimingPage& timing, SystemPage& system, SettingsEntries& working, QObject* parent = nullptr);

    // Runs the long-term rule, which runs the others, once after filling.
    void settle();

    void overtimeSwitchRule(); // `Check1_Click`(5)
    void longTermRule();       // `Check1_Click`(6)
    void formatRule();         // `Combo1_Click`
    void modeRule();           // `Combo2_Click`
    void overtimeActionRule(); // `Combo3_Click`

private:
    int comboDigit(int position) const;
    bool systemTime() const;
    void showDelayRow(bool shown);

    TimingPage& m_timing;
    SystemPage& m_system;
    SettingsEntries& m_working;
};

} // namespace melvanta
