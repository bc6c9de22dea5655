#include "core/Encodings.h"

#include <QtTest>

using namespace melvanta;

// Each reader renders what the program makes of one stored text.
using Reader = QString (*)(const QString&);
Q_DECLARE_METATYPE(Reader)

static void addRow(const char* name, Reader reader, const char* text, const char* expected)
{
    QTest::newRow(name) << reader << QString::fromUtf8(text) << QString::fromUtf8(expected);
}

// The six sizes read, then the text written back with the clock at 7 points.
static QString sizes(const QString& text)
{
    QStringList read;
    for (int field = 1; field <= 6; ++field)
        read << QString::number(fontSize(text, SizeField(field)));
    return read.join(' ') + " -> " + withFontSize(text, SizeField::Clock, 7);
}

class TestEncodings : public QObject
{
    Q_OBJECT

private slots:
    void reads_data()
    {
        QTest::addColumn<Reader>("reader");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        // The number, then its 32-bit integer.
        const Reader val = [](const QString& t) { return QStringLiteral("%1 %2").arg(vbVal(t)).arg(vbValInt(t)); };
        // System colour?/its index, red,green,blue = the stored value.
        const Reader colour = [](const QString& t) {
            const OleColour c = OleColour::fromText(t);
            return QString::asprintf("%d/%d %d,%d,%d = ", c.isSystem, c.systemIndex, c.red, c.green, c.blue) + c.text();
        };
        // Clock colour|background colour|picture|the text written back.
        const Reader look = [](const QString& t) {
            const PhaseLook l = PhaseLook::parse(t);
            return QStringList{l.clockColour, l.backColour, l.picture, l.text()}.join('|');
        };
        // Format, timing mode and end action.
        const Reader combo = [](const QString& t) {
            const ComboChoices c = ComboChoices::parse(t);
            return QStringLiteral("%1%2%3").arg(c.formatIndex).arg(c.timingMode).arg(int(c.endAction));
        };
        addRow("number prefix", val, "12ab", "12 12");
        addRow("no number", val, "abc", "0 0");
        addRow("blanks inside", val, " 1 2 ", "12 12");
        addRow("fraction truncated toward 0", val, "  -3.7x", "-3.7 -3");
        addRow("D exponent", val, "2D2", "200 200");
        addRow("clamped above", val, "1e30", "1e+30 2147483647");
        addRow("clamped below", val, "-99999999999", "-1e+11 -2147483648");
        addRow("hex in lower case stops at non-digit", val, "&h1G", "1 1");
        addRow("hex system colour", val, "&H80000008", "-2.14748e+09 -2147483640");
        addRow("octal stops at 8", val, "&O18", "1 1");
        addRow("colour in BGR order", colour, "1193046", "0/0 86,52,18 = 1193046");
        addRow("colour above 24 bits", colour, "16777471", "0/0 255,0,0 = 255");
        addRow("system colour", colour, "-2147483640", "1/8 0,0,0 = -2147483640");
        addRow("colour garbage", colour, "abc", "0/0 0,0,0 = 0");
        addRow("look with empty picture", look, "0\\65535\\", "0|65535||0\\65535\\");
        addRow("look of two parts", look, "255\\0", "255|0||255\\0\\");
        addRow("sizes in order", sizes, "11/22/333/44/5/66/", "11 22 333 44 5 66 -> 11/22/7/44/5/66/");
        addRow("sizes garbage", sizes, "x/0/1001/-1/5pt/1000/", "90 80 150 100 5 1000 -> 90/80/7/100/5/1000/");
        addRow("sizes short", sizes, "12/", "12 80 150 100 30 30 -> 12/80/7/100/30/30/");
        addRow("combolist", combo, "213", "213");
        addRow("combolist garbage", combo, "x34", "000");
    }

    void reads()
    {
        QFETCH(Reader, reader);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(reader(text), expected);
    }
};

QTEST_GUILESS_MAIN(TestEncodings)
#include "tst_encodings.moc"
