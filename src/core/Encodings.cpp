#include "core/Encodings.h"

#include <QVector>

#include <cmath>
#include <limits>

namespace melvanta {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

// Reads digits of `base` from `text` starting at `pos`, skipping blanks.
double readRadix(const QString& text, int pos, int base)
{
    double result = 0;
    for (; pos < text.size(); ++pos) {
        const QChar c = text.at(pos);
        if (isBlank(c))
            continue;
        const int digit = c.isDigit() ? c.digitValue()
                                      : (c.toLower().unicode() >= 'a' && c.toLower().unicode() <= 'f'
                                             ? c.toLower().unicode() - 'a' + 10
                                             : -1);
        if (digit < 0 || digit >= base)
            break;
        result = result * base + digit;
    }
    // Hexadecimal and octal literals are 32-bit values: &HFFFFFFFF is -1.
    if (result <= 0xFFFFFFFFu && result > std::numeric_limits<qint32>::max())
        result -= 4294967296.0;
    return result;
}

} // namespace

double vbVal(const QString& text)
{
    QString compact;
    compact.reserve(text.size());
    for (const QChar c : text) {
        if (!isBlank(c))
            compact.append(c);
    }
    if (compact.startsWith(QLatin1String("&H"), Qt::CaseInsensitive))
        return readRadix(compact, 2, 16);
    if (compact.startsWith(QLatin1String("&O"), Qt::CaseInsensitive))
        return readRadix(compact, 2, 8);

    // Longest prefix of the form [+-]digits[.digits][(e|d)[+-]digits].
    int end = 0;
    const int n = compact.size();
    auto digitsFrom = [&](int i) {
        while (i < n && compact.at(i).isDigit() && compact.at(i).unicode() < 128)
            ++i;
        return i;
    };
    if (end < n && (compact.at(end) == QLatin1Char('+') || compact.at(end) == QLatin1Char('-')))
        ++end;
    const int intStart = end;
    end = digitsFrom(end);
    bool haveDigits = end > intStart;
    if (end < n && compact.at(end) == QLatin1Char('.')) {
        const int fracEnd = digitsFrom(end + 1);
        haveDigits = haveDigits || fracEnd > end + 1;
        end = fracEnd;
    }
    if (!haveDigits)
        return 0;
    if (end < n && (compact.at(end).toLower() == QLatin1Char('e') || compact.at(end).toLower() == QLatin1Char('d'))) {
        int expPos = end + 1;
        if (expPos < n && (compact.at(expPos) == QLatin1Char('+') || compact.at(expPos) == QLatin1Char('-')))
            ++expPos;
        const int expEnd = digitsFrom(expPos);
        if (expEnd > expPos) {
            compact[end] = QLatin1Char('e');
            end = expEnd;
        }
    }
    bool ok = false;
    const double value = compact.left(end).toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0;
}

qint32 vbValInt(const QString& text)
{
    const double value = std::trunc(vbVal(text));
    if (value >= std::numeric_limits<qint32>::max())
        return std::numeric_limits<qint32>::max();
    if (value <= std::numeric_limits<qint32>::min())
        return std::numeric_limits<qint32>::min();
    return static_cast<qint32>(value);
}

bool switchOn(const QString& switches, int position)
{
    return position >= 1 && position <= switches.size() && switches.at(position - 1) == QLatin1Char('1');
}

QString withSwitch(QString switches, int position, bool on)
{
    if (position < 1)
        return switches;
    while (switches.size() < position)
        switches.append(QLatin1Char('0'));
    switches[position - 1] = on ? QLatin1Char('1') : QLatin1Char('0');
    return switches;
}

OleColour OleColour::fromText(const QString& decimalText)
{
    return fromValue(vbValInt(decimalText));
}

OleColour OleColour::fromValue(qint32 value)
{
    OleColour colour;
    const quint32 bits = static_cast<quint32>(value);
    if (bits & 0x80000000u) {
        colour.isSystem = true;
        colour.systemIndex = static_cast<int>(bits & 0xFFu);
        return colour;
    }
    // Values above &HFFFFFF are not colours; their low 24 bits are used.
    colour.red = static_cast<int>(bits & 0xFFu);
    colour.green = static_cast<int>((bits >> 8) & 0xFFu);
    colour.blue = static_cast<int>((bits >> 16) & 0xFFu);
    return colour;
}

OleColour OleColour::rgb(int r, int g, int b)
{
    OleColour colour;
    colour.red = r & 0xFF;
    colour.green = g & 0xFF;
    colour.blue = b & 0xFF;
    return colour;
}

qint32 OleColour::value() const
{
    if (isSystem)
        return static_cast<qint32>(0x80000000u | static_cast<quint32>(systemIndex & 0xFF));
    return static_cast<qint32>(static_cast<quint32>(red) | (static_cast<quint32>(green) << 8) |
                               (static_cast<quint32>(blue) << 16));
}

BackgroundSetting BackgroundSetting::parse(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('\\'));
    BackgroundSetting setting;
    setting.colour = parts.value(0);
    setting.picture = parts.value(1);
    return setting;
}

PhaseLook PhaseLook::parse(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('\\'));
    PhaseLook look;
    look.clockColour = parts.value(0);
    look.backColour = parts.value(1);
    look.picture = parts.value(2);
    return look;
}

QString PhaseLook::text() const
{
    return clockColour + QLatin1Char('\\') + backColour + QLatin1Char('\\') + picture;
}

namespace {
constexpr int kDefaultSizes[] = {90, 80, 150, 100, 30, 30};
}

int fontSize(const QString& sizethree, SizeField field)
{
    const int index = static_cast<int>(field) - 1;
    const QStringList parts = sizethree.split(QLatin1Char('/'));
    const double value = index < parts.size() ? vbVal(parts.at(index)) : 0;
    if (value < 1 || value > kMaxFontSize)
        return kDefaultSizes[index];
    return static_cast<int>(value);
}

QString withFontSize(const QString& sizethree, SizeField field, int points)
{
    QString result;
    for (int f = 1; f <= 6; ++f) {
        const auto current = static_cast<SizeField>(f);
        const int size = current == field ? points : fontSize(sizethree, current);
        result += QString::number(size) + QLatin1Char('/');
    }
    return result;
}

ComboChoices ComboChoices::parse(const QString& combolist)
{
    auto digit = [&](int i, int max) {
        if (i >= combolist.size() || !combolist.at(i).isDigit())
            return 0;
        const int d = combolist.at(i).digitValue();
        return d <= max ? d : 0;
    };
    ComboChoices choices;
    choices.formatIndex = digit(0, 5);
    choices.timingMode = digit(1, 2);
    choices.endAction = static_cast<EndAction>(digit(2, 3));
    return choices;
}

} // namespace melvanta
