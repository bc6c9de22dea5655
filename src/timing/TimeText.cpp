#include "TimeText.h"

#include <QRegularExpression>

#include <limits>

namespace melvanta {

namespace {

constexpr qint64 MsPerHour = 3600000;
constexpr qint64 MsPerMinute = 60000;
constexpr int SecondsPerDay = 86400;

// A number with at least two digits: 5 -> "05", 75 -> "75", 100 -> "100".
QString twoDigits(qint64 value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

QString clockOf(const TimeParts& p)
{
    return twoDigits(p.hours) + QLatin1Char(':') + twoDigits(p.minutes) + QLatin1Char(':') + twoDigits(p.seconds);
}

} // namespace

QString TimeParts::text() const
{
    return QStringLiteral("%1\\%2\\%3\\%4").arg(hours).arg(minutes).arg(seconds).arg(tenths);
}

QString TimeParts::runTimeText() const
{
    return clockOf(*this);
}

int TimeToSeconds(const QTime& timeOfDay)
{
    if (!timeOfDay.isValid())
        return 0;
    return timeOfDay.hour() * 3600 + timeOfDay.minute() * 60 + timeOfDay.second();
}

QTime SecondsToTime(int seconds)
{
    if (seconds < 0)
        return QTime(0, 0, 0);
    const int s = seconds % SecondsPerDay;
    return QTime(s / 3600, s % 3600 / 60, s % 60);
}

TimeParts MsToParts(qint64 milliseconds)
{
    const qint64 ms = milliseconds < 0 ? 0 : milliseconds;
    TimeParts parts;
    // The remainders below are already under 60 minutes and 60 seconds, so no
    // carry into the next unit can arise. Hours beyond the int range (a count
    // of hundreds of thousands of years) are clamped.
    const qint64 hours = ms / MsPerHour;
    parts.hours = hours > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : int(hours);
    parts.minutes = int(ms % MsPerHour / MsPerMinute);
    const int rest = int(ms % MsPerHour % MsPerMinute);
    parts.seconds = rest / 1000;
    parts.tenths = (rest % 1000 - rest % 100) / 100;
    return parts;
}

QString runTimeText(qint64 milliseconds)
{
    return MsToParts(milliseconds).runTimeText();
}

std::optional<TimeParts> parseRunTimeText(const QString& text)
{
    // ASCII digits only: \d would also take other scripts' digits.
    static const QRegularExpression pattern(QStringLiteral("^([0-9]+):([0-9]{1,2}):([0-9]{1,2})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;

    bool hoursOk = false;
    TimeParts parts;
    parts.hours = match.capturedView(1).toInt(&hoursOk);
    parts.minutes = match.capturedView(2).toInt();
    parts.seconds = match.capturedView(3).toInt();
    if (!hoursOk || parts.minutes > 59 || parts.seconds > 59)
        return std::nullopt;
    return parts;
}

QStringList timeFormatList(TimingMode mode, bool longTerm)
{
    if (longTerm) {
        return {QStringLiteral("d天 hh时mm分ss秒"), QStringLiteral("d天 hh时mm分"), QStringLiteral("d天"),
                QStringLiteral("d hh:mm:ss"),       QStringLiteral("d hh:mm"),      QStringLiteral("d mm:ss")};
    }
    if (mode == TimingMode::SystemTime)
        return {QStringLiteral("时:分:秒"), QStringLiteral("时:分"), QStringLiteral("时:分:秒")};
    return {QStringLiteral("秒"), QStringLiteral("分:秒"), QStringLiteral("时:分:秒")};
}

std::optional<QString> formatClockText(const QString& runText, TimingMode mode, int formatIndex, const QTime& now)
{
    if (formatIndex < 0 || formatIndex > 2)
        formatIndex = 0;

    // System time shows the time of day; the run goes on underneath unseen.
    if (mode == TimingMode::SystemTime)
        return now.toString(formatIndex == 1 ? QStringLiteral("hh:mm") : QStringLiteral("hh:mm:ss"));

    const std::optional<TimeParts> parts = parseRunTimeText(runText);
    if (!parts)
        return std::nullopt;

    switch (formatIndex) {
    case 0:
        return QString::number(qint64(parts->hours) * 3600 + parts->minutes * 60 + parts->seconds);
    case 1:
        return twoDigits(qint64(parts->hours) * 60 + parts->minutes) + QLatin1Char(':') + twoDigits(parts->seconds);
    default:
        return clockOf(*parts);
    }
}

LongTermText formatLongTerm(int days, int hours, int minutes, int seconds, int formatIndex)
{
    LongTermText out;
    out.dateLine = QString::number(days) + QStringLiteral("天");

    const QString hh = twoDigits(hours);
    const QString mm = twoDigits(minutes);
    const QString ss = twoDigits(seconds);
    switch (formatIndex) {
    case 1:
        out.clock = hh + QStringLiteral("时") + mm + QStringLiteral("分");
        break;
    case 2:
        break; // the day count alone
    case 3:
        out.clock = hh + QLatin1Char(':') + mm + QLatin1Char(':') + ss;
        break;
    case 4:
        out.clock = hh + QLatin1Char(':') + mm;
        break;
    case 5:
        out.clock = mm + QLatin1Char(':') + ss;
        break;
    default:
        out.clock = hh + QStringLiteral("时") + mm + QStringLiteral("分") + ss + QStringLiteral("秒");
        break;
    }
    return out;
}

} // namespace melvanta

#include "core/StageSettings.h"

namespace melvanta {

QString initialClockText(const StageSettings& settings, const QTime& now)
{
    const ComboChoices choices = settings.choices();
    const auto mode = static_cast<TimingMode>(choices.timingMode);
    const qint64 ms = mode == TimingMode::Countdown ? qint64(TimeToSeconds(settings.Time_all)) * 1000 : 0;
    return formatClockText(runTimeText(ms), mode, choices.formatIndex, now).value_or(QString());
}

} // namespace melvanta
