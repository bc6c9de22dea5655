#pragma once

#include "core/AlertPhase.h"
#include "core/Encodings.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <array>
#include <variant>

namespace melvanta {

// Everything one timing stage needs: durations and alarm points, the
// switches and texts, sounds and colours of each alert phase, and the
// fonts, colours and sizes of the clock screen. The member names are the
// names of the stored values (per-user store and the stage table).
struct StageSettings
{
    QTime Time_all;   // whole duration
    QTime Time_one;   // alarm 1: remaining time at which phase one begins
    QTime Time_two;   // alarm 2
    QTime Time_three; // alarm 3
    QTime Time_four;  // final-seconds count point
    QTime Time_five;  // overtime limit
    QDate time_date;  // due date of long-term timing; 2000-01-01 when it is off
    QString checkone; // 7 phase switches
    QString checktwo; // 21 per-phase effect switches
    QString textstart, textone, texttwo, textthree, textfour, textfive, textend;
    QString musicstart, musicone, musictwo, musicthree, musicfour, musicfive, musicend;
    QString firstfont, firstcolour, firsttext;
    QString secondfont, secondcolour, secondtext;
    QString clockFont, clockcolour;
    QString background;
    QString stagefont, stagecolour;
    QString textfont, textcolour;
    QString rollfont, rollcolour;
    QString sizethree;
    QString checkthree; // 6 display switches
    QString checkfour;  // 4 end-of-time switches
    QString combolist;  // format, timing mode, end action
    QString logopicture;
    qint16 tixingtime = 5; // seconds each alert lasts
    QString highsetstart, highsetone, highsettwo, highsetthree, highsetfour, highsetfive, highsetend;

    // The first-run record; `today` becomes `time_date`.
    static StageSettings defaults(const QDate& today = QDate::currentDate());

    // Per-phase fields.
    const QString& phaseText(AlertPhase phase) const;
    const QString& phaseSound(AlertPhase phase) const;
    const QString& phaseLook(AlertPhase phase) const;

    // Switches, by name rather than by character position.
    bool continuousReminder() const { return switchOn(checkone, 1); }
    bool alarmEnabled(int alarm) const { return switchOn(checkone, 1 + alarm); } // alarm 1..3
    bool finalSecondsEnabled() const { return switchOn(checkone, 5); }
    bool overtimeEnabled() const { return switchOn(checkone, 6); }
    bool longTerm() const { return switchOn(checkone, 7); }
    bool phaseEffect(PhaseEffect effect, AlertPhase phase) const
    {
        return switchOn(checktwo, checktwoPosition(effect, phase));
    }
    bool phaseLooksEnabled() const { return switchOn(checkthree, 1); }
    bool promptShowsWeekday() const { return switchOn(checkthree, 2); }
    bool showDynamicText() const { return switchOn(checkthree, 3); }
    bool mainTitleCentred() const { return switchOn(checkthree, 4); }
    bool subtitleCentred() const { return switchOn(checkthree, 5); }
    bool showOvertimeClock() const { return switchOn(checkfour, 1); }
    bool clockShowsEndText() const { return switchOn(checkfour, 2); }
    bool restartAfterDelay() const { return switchOn(checkfour, 3); }
    bool logoCustomSize() const { return switchOn(checkfour, 4); }
    ComboChoices choices() const { return ComboChoices::parse(combolist); }
    int size(SizeField field) const { return fontSize(sizethree, field); }

    bool operator==(const StageSettings& other) const;
    bool operator!=(const StageSettings& other) const { return !(*this == other); }
};

// The 51 fields in storage order, for code that walks the whole record
// (the per-user store and the stage table).
enum class FieldKind
{
    Time,
    Date,
    Text,
    Int16
};
using FieldMember =
    std::variant<QTime StageSettings::*, QDate StageSettings::*, QString StageSettings::*, qint16 StageSettings::*>;
struct StageField
{
    const char* name;
    FieldMember member;
    FieldKind kind() const { return static_cast<FieldKind>(member.index()); }
};
inline constexpr int kStageFieldCount = 51;
const std::array<StageField, kStageFieldCount>& stageFields();

// Stored text of one field: times "hh:mm:ss", dates "yyyy-MM-dd",
// numbers in decimal, text as it stands.
QString fieldText(const StageSettings& settings, const StageField& field);

// Sets one field from its stored text. Times and dates are read in the
// fixed forms and in the older locale forms ("2024/1/5 0:01:00"); a text
// that does not read, or a number outside 16 bits, leaves the field as it
// was and returns false.
bool setFieldFromText(StageSettings& settings, const StageField& field, const QString& text);

// Reads a time of day or a date from any of the forms the program has stored.
QTime parseStoredTime(const QString& text);
QDate parseStoredDate(const QString& text);

} // namespace melvanta
