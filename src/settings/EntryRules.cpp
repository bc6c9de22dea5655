#include "settings/EntryRules.h"

#include <algorithm>

namespace melvanta {

namespace {

bool isNumber(const QString& text)
{
    bool ok = false;
    text.trimmed().toLongLong(&ok);
    return ok;
}

qint64 valueOf(const QString& text)
{
    return text.trimmed().toLongLong();
}

QString plain(qint64 value)
{
    return QString::number(value);
}

BoxVerdict accepted(qint64 value)
{
    return {plain(value < 0 ? -value : value), {}, {}};
}

BoxVerdict refused(const QString& text, const char* message, const QString& title = {})
{
    return {text, QString::fromUtf8(message), title};
}

struct Range
{
    qint64 low, high;
    const char* message;
    const char* reset;
};

Range systemRange(SystemBox box, bool leaving)
{
    switch (box) {
    case SystemBox::AlertDuration:
        return leaving ? Range{1, 30, "取值范围1-30之间", "3"} : Range{0, 30, "取值范围0-30秒之间", "3"};
    case SystemBox::LogoWidth:
    case SystemBox::LogoHeight:
        return {1, 990, "取值范围1-990之间", "100"};
    case SystemBox::Delay:
        break;
    }
    return {1, 30, "取值范围1-30之间", "1"};
}

} // namespace

int timeBoxMaximum(int index)
{
    return index == 1 ? 23 : 59;
}

BoxVerdict timeBoxRule(int index, const QString& text)
{
    if (text.isEmpty())
        return {text, {}, {}};
    const qint64 maximum = timeBoxMaximum(index);
    if (!isNumber(text) || valueOf(text) < 0 || valueOf(text) > maximum)
        return refused(QStringLiteral("0"), index == 1 ? "取值范围0-23之间" : "取值范围0-59之间");
    return accepted(valueOf(text));
}

BoxVerdict systemBoxRule(SystemBox box, const QString& text, bool leaving)
{
    if (text.isEmpty() && !leaving)
        return {text, {}, {}};
    const Range range = systemRange(box, leaving);
    if (!isNumber(text) || valueOf(text) < range.low || valueOf(text) > range.high)
        return refused(QString::fromLatin1(range.reset), range.message);
    return accepted(valueOf(text));
}

BoxVerdict yearRule(const QString& text, bool leaving, int currentYear, const QString& programName)
{
    if (text.isEmpty() && !leaving)
        return {text, {}, {}};
    const qint64 year = isNumber(text) ? valueOf(text) : 0;
    if (!leaving && year > 2999)
        return refused(plain(currentYear), "取值范围2000-2999之间", programName);
    if (leaving && (year < 2000 || year > 2999))
        return refused(plain(currentYear), "年份取值范围2000-2999之间", programName);
    return accepted(year);
}

BoxVerdict monthRule(const QString& text, bool leaving)
{
    if (text.isEmpty() && !leaving)
        return {text, {}, {}};
    const qint64 month = isNumber(text) ? valueOf(text) : 0;
    return accepted(std::clamp<qint64>(month, 1, 12));
}

BoxVerdict dayRule(const QString& text, bool leaving, const QString& yearText, const QString& monthText)
{
    if (text.isEmpty() && !leaving)
        return {text, {}, {}};
    const qint64 day = isNumber(text) ? valueOf(text) : 0;
    const qint64 year = isNumber(yearText) ? valueOf(yearText) : 0;
    const qint64 month = isNumber(monthText) ? std::clamp<qint64>(valueOf(monthText), 1, 12) : 1;
    // A year the box cannot hold yet (while it is typed) falls back to a
    // month of 31 days; the year's own check follows when it is left.
    const QDate first(year >= 1 && year <= 9999 ? int(year) : 2000, int(month), 1);
    const QDate last = monthlastday(first, QStringLiteral("now"));
    const int lastDay = year >= 1 && year <= 9999 ? last.day() : 31;
    return accepted(std::clamp<qint64>(day, 1, lastDay));
}

QDate monthlastday(const QDate& date, const QString& mode)
{
    const QDate first(date.year(), date.month(), 1);
    if (mode == QLatin1String("before"))
        return first.addDays(-1);
    if (mode == QLatin1String("now"))
        return first.addMonths(1).addDays(-1);
    return QDate(1899, 12, 30);
}

QString digitsOnly(const QString& text, int maxLength)
{
    QString digits;
    for (const QChar c : text) {
        if (digits.size() >= maxLength)
            break;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
    }
    return digits;
}

} // namespace melvanta
