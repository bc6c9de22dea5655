#pragma once

#include <QDate>
#include <QString>

namespace melvanta {

// What a numeric box of the settings dialog says about its text: the text it
// should hold afterwards and, when the value was out of range, the message
// to show for a second. The rules run while the operator types and again
// when the box loses the focus; they never block.
struct BoxVerdict
{
    QString text;    // the box's new text (unchanged when nothing is to be done)
    QString message; // empty when the value was accepted
    QString title;   // the message's title; empty for the program's own
};

// The time boxes `Text1`(1) … (13): hours 0–23 (box 1), the others 0–59.
// An empty box is left alone; "07" becomes "7"; an out-of-range value
// becomes "0" with its message.
int timeBoxMaximum(int index);
BoxVerdict timeBoxRule(int index, const QString& text);

// The numeric boxes of the system page with a range.
enum class SystemBox
{
    AlertDuration, // `Text4`(4): 0–30 while typing, 1–30 on leaving; "3"
    LogoWidth,     // `Text4`(7): 1–990; "100"
    LogoHeight,    // `Text4`(8): 1–990; "100"
    Delay          // `Text4`(9): 1–30; "1"
};
BoxVerdict systemBoxRule(SystemBox box, const QString& text, bool leaving);

// The due-date boxes `Text7`(0) … (2). The year is refused above 2999 while
// typing and outside 2000–2999 on leaving (the current year goes into the
// box, titled `programName`); month and day are clamped silently, the day to
// the last day of the month the year and month boxes name.
BoxVerdict yearRule(const QString& text, bool leaving, int currentYear, const QString& programName);
BoxVerdict monthRule(const QString& text, bool leaving);
BoxVerdict dayRule(const QString& text, bool leaving, const QString& yearText, const QString& monthText);

// "before": the last day of the month before `date`'s month; "now": the last
// day of `date`'s own month; any other mode: the zero date (1899-12-30).
QDate monthlastday(const QDate& date, const QString& mode);

// Pasted text as a numeric box takes it: its digits, at most `maxLength`.
QString digitsOnly(const QString& text, int maxLength);

} // namespace melvanta
