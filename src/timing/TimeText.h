#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>

namespace melvanta {

// Timing modes: character 2 of `combolist`.
enum class TimingMode
{
    Countdown = 0,
    CountUp = 1,
    SystemTime = 2
};

// A millisecond count split into its parts (the result of `MsToParts`).
struct TimeParts
{
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int tenths = 0;

    // "h\m\s\t", each number in decimal without leading zeros.
    QString text() const;
    // The run time text "hh:mm:ss" (hours keep a third digit from 100 on).
    QString runTimeText() const;
    bool operator==(const TimeParts& o) const
    {
        return hours == o.hours && minutes == o.minutes && seconds == o.seconds && tenths == o.tenths;
    }
};

// hour * 3600 + minute * 60 + second of a time of day; 0 for an invalid time.
int TimeToSeconds(const QTime& timeOfDay);

// The time of day of a second count; counts are taken modulo one day and a
// negative count gives 00:00:00.
QTime SecondsToTime(int seconds);

// Splits a millisecond count into hours, minutes, whole seconds and the
// tenths digit. A negative count is taken as 0.
TimeParts MsToParts(qint64 milliseconds);

// The run time text of a millisecond count: "hh:mm:ss".
QString runTimeText(qint64 milliseconds);

// Parses a run time text "hh:mm:ss" (hours may have more digits) into its
// parts; nothing for a text that does not parse (empty at the first tick).
std::optional<TimeParts> parseRunTimeText(const QString& text);

// The format list the settings dialog offers for a timing mode, or the
// long-term list when long-term timing is on. The stored index is a
// position in this list.
QStringList timeFormatList(TimingMode mode, bool longTerm);

// The clock text of `Label_change`: the run time text in the chosen format
// for countdown and count-up, or the current time of day for system time.
// Nothing when the run time text does not parse in countdown / count-up.
// A format index outside the list is taken as 0.
std::optional<QString> formatClockText(const QString& runText, TimingMode mode, int formatIndex, const QTime& now);

// Long-term display: the day count goes to the date line as "N天" and the
// clock shows the rest in the format of `formatIndex` (index 2 shows no clock).
struct LongTermText
{
    QString dateLine;
    QString clock;
};
LongTermText formatLongTerm(int days, int hours, int minutes, int seconds, int formatIndex);

} // namespace melvanta

namespace melvanta {

struct StageSettings;

// The clock text a stage shows before its run starts: the whole duration
// when counting down, zero when counting up, the time of day in system-time
// mode; each in the stage's format.
QString initialClockText(const StageSettings& settings, const QTime& now);

} // namespace melvanta
