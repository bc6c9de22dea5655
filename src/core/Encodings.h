#pragma once

#include <QString>
#include <QStringList>

namespace melvanta {

// The program's reading of a number from text: leading blanks are skipped,
// blanks inside the number are ignored, the longest numeric prefix counts
// ("12ab" is 12), "&H" and "&O" prefixes read hexadecimal and octal, and a
// text without a number is 0.
double vbVal(const QString& text);

// vbVal clamped into a 32-bit signed integer (fractions truncated toward 0).
qint32 vbValInt(const QString& text);

// Switch strings: "0"/"1" characters addressed by 1-based position. A
// position beyond the end of the string reads as off.
bool switchOn(const QString& switches, int position);
// Returns `switches` with `position` set, padding with "0" when it is short.
QString withSwitch(QString switches, int position, bool on);

// An OLE colour value: 0..0xFFFFFF is &H00BBGGRR; &H800000nn is system colour nn.
struct OleColour
{
    bool isSystem = false;
    int systemIndex = 0; // nn of &H800000nn
    int red = 0;
    int green = 0;
    int blue = 0;

    static OleColour fromText(const QString& decimalText);
    static OleColour fromValue(qint32 value);
    static OleColour rgb(int r, int g, int b);
    qint32 value() const;
    QString text() const { return QString::number(value()); }
    bool operator==(const OleColour& o) const { return value() == o.value(); }
};

// Well-known system colour indices.
inline constexpr int kSystemWindow = 0x05;
inline constexpr int kSystemWindowText = 0x08;

// `background`: colour "\" picture.
struct BackgroundSetting
{
    QString colour;
    QString picture;
    static BackgroundSetting parse(const QString& text);
    QString text() const { return colour + QLatin1Char('\\') + picture; }
};

// `highsetstart` ... `highsetend`: clock colour "\" background colour "\" picture.
struct PhaseLook
{
    QString clockColour;
    QString backColour;
    QString picture;
    static PhaseLook parse(const QString& text);
    QString text() const;
};

// `sizethree`: six font sizes, each followed by "/".
enum class SizeField
{
    MainTitle = 1,
    Subtitle,
    Clock,
    DateLine,
    Prompt,
    DynamicText
};
// The size in points of one field. A missing, zero, negative or absurd
// (above kMaxFontSize) part gives that field's first-run size.
int fontSize(const QString& sizethree, SizeField field);
// Returns `sizethree` with one field replaced (missing fields are filled
// with their first-run sizes).
QString withFontSize(const QString& sizethree, SizeField field, int points);
inline constexpr int kMaxFontSize = 1000;

// `combolist`: three decimal digits.
enum class EndAction
{
    Overtime = 0,
    Stop = 1,
    Reset = 2,
    NextStage = 3
};
struct ComboChoices
{
    int formatIndex = 1;
    int timingMode = 0; // TimingMode value
    EndAction endAction = EndAction::Overtime;
    // Characters that are not digits, or out of range, read as 0.
    static ComboChoices parse(const QString& combolist);
};

} // namespace melvanta
