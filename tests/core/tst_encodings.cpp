#include "core/Encodings.h"

#include <QtTest>

#include <limits>

using namespace melvanta;

Q_DECLARE_METATYPE(melvanta::SizeField)
Q_DECLARE_METATYPE(melvanta::EndAction)

class TestEncodings : public QObject
{
    Q_OBJECT

private slots:
    void val_data();
    void val();
    void valInt_data();
    void valInt();
    void switchOn_data();
    void switchOn();
    void withSwitch_data();
    void withSwitch();
    void colourFromText_data();
    void colourFromText();
    void colourRoundTrip_data();
    void colourRoundTrip();
    void backgroundSetting_data();
    void backgroundSetting();
    void phaseLook_data();
    void phaseLook();
    void fontSizeFields_data();
    void fontSizeFields();
    void fontSizeFallback_data();
    void fontSizeFallback();
    void withFontSize_data();
    void withFontSize();
    void comboChoices_data();
    void comboChoices();
};

void TestEncodings::val_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("plain") << "42" << 42.0;
    QTest::newRow("number prefix") << "12ab" << 12.0;
    QTest::newRow("no number") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("blanks only") << " \t " << 0.0;
    QTest::newRow("blanks inside") << " 1 2 " << 12.0;
    QTest::newRow("tab and line feed inside") << "1\t2\n3" << 123.0;
    QTest::newRow("negative colour") << "-2147483640" << -2147483640.0;
    QTest::newRow("explicit plus") << "+7" << 7.0;
    QTest::newRow("fraction with junk") << "  -3.7x" << -3.7;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("exponent") << "1.5e3" << 1500.0;
    QTest::newRow("D exponent") << "2D2" << 200.0;
    QTest::newRow("negative exponent") << "25e-1" << 2.5;
    QTest::newRow("exponent without digits") << "3e" << 3.0;
    QTest::newRow("exponent sign without digits") << "3e+x" << 3.0;
    QTest::newRow("comma ends the number") << "1,000" << 1.0;
    QTest::newRow("second point ends the number") << "1.2.3" << 1.2;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("point only") << "." << 0.0;
    QTest::newRow("overflowing exponent") << "1e999" << 0.0;
    QTest::newRow("non-ASCII digits are no number") << QStringLiteral("１２") << 0.0;
    QTest::newRow("hex") << "&HFF" << 255.0;
    QTest::newRow("hex lower case") << "&hff" << 255.0;
    QTest::newRow("hex stops at non-digit") << "&H1G" << 1.0;
    QTest::newRow("hex system colour") << "&H80000008" << -2147483640.0;
    QTest::newRow("hex all bits") << "&HFFFFFFFF" << -1.0;
    QTest::newRow("hex largest positive") << "&H7FFFFFFF" << 2147483647.0;
    QTest::newRow("hex with blanks") << " &H 1 0" << 16.0;
    QTest::newRow("hex without digits") << "&H" << 0.0;
    QTest::newRow("octal") << "&O17" << 15.0;
    QTest::newRow("octal stops at 8") << "&O18" << 1.0;
}

void TestEncodings::val()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(vbVal(text), expected);
}

void TestEncodings::valInt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("expected");

    constexpr qint32 max = std::numeric_limits<qint32>::max();
    constexpr qint32 min = std::numeric_limits<qint32>::min();
    QTest::newRow("in range") << "-2147483643" << qint32(-2147483643);
    QTest::newRow("fraction truncated") << "3.9" << qint32(3);
    QTest::newRow("negative fraction truncated toward 0") << "-3.9" << qint32(-3);
    QTest::newRow("largest") << "2147483647" << max;
    QTest::newRow("above largest") << "2147483648" << max;
    QTest::newRow("far above") << "1e30" << max;
    QTest::newRow("smallest") << "-2147483648" << min;
    QTest::newRow("below smallest") << "-99999999999" << min;
    QTest::newRow("garbage") << "x1" << qint32(0);
}

void TestEncodings::valInt()
{
    QFETCH(QString, text);
    QFETCH(qint32, expected);
    QCOMPARE(vbValInt(text), expected);
}

void TestEncodings::switchOn_data()
{
    QTest::addColumn<QString>("switches");
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("expected");

    QTest::newRow("first on") << "1000000" << 1 << true;
    QTest::newRow("first off") << "0111111" << 1 << false;
    QTest::newRow("last on") << "0000001" << 7 << true;
    QTest::newRow("middle off") << "1101111" << 3 << false;
    QTest::newRow("beyond the end") << "111" << 4 << false;
    QTest::newRow("empty") << "" << 1 << false;
    QTest::newRow("position 0") << "111" << 0 << false;
    QTest::newRow("negative position") << "111" << -1 << false;
    QTest::newRow("other character is off") << "2x " << 1 << false;
    QTest::newRow("blank is off") << "2x " << 3 << false;
}

void TestEncodings::switchOn()
{
    QFETCH(QString, switches);
    QFETCH(int, position);
    QFETCH(bool, expected);
    QCOMPARE(melvanta::switchOn(switches, position), expected);
}

void TestEncodings::withSwitch_data()
{
    QTest::addColumn<QString>("switches");
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("on");
    QTest::addColumn<QString>("expected");

    QTest::newRow("set first") << "0000" << 1 << true << "1000";
    QTest::newRow("clear last") << "1111" << 4 << false << "1110";
    QTest::newRow("unchanged when already set") << "0100" << 2 << true << "0100";
    QTest::newRow("pads short string") << "1" << 4 << true << "1001";
    QTest::newRow("pads when clearing") << "" << 3 << false << "000";
    QTest::newRow("position 0 ignored") << "10" << 0 << true << "10";
    QTest::newRow("other characters kept") << "x2y" << 2 << true << "x1y";
}

void TestEncodings::withSwitch()
{
    QFETCH(QString, switches);
    QFETCH(int, position);
    QFETCH(bool, on);
    QFETCH(QString, expected);

    const QString result = melvanta::withSwitch(switches, position, on);
    QCOMPARE(result, expected);
    if (position >= 1)
        QCOMPARE(melvanta::switchOn(result, position), on);
}

void TestEncodings::colourFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isSystem");
    QTest::addColumn<int>("systemIndex");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");

    QTest::newRow("red") << "255" << false << 0 << 255 << 0 << 0;
    QTest::newRow("yellow") << "65535" << false << 0 << 255 << 255 << 0;
    QTest::newRow("blue") << "16711680" << false << 0 << 0 << 0 << 255;
    QTest::newRow("mixed &H00BBGGRR") << "1193046" << false << 0 << 0x56 << 0x34 << 0x12;
    QTest::newRow("white") << "16777215" << false << 0 << 255 << 255 << 255;
    QTest::newRow("black") << "0" << false << 0 << 0 << 0 << 0;
    QTest::newRow("window text") << "-2147483640" << true << kSystemWindowText << 0 << 0 << 0;
    QTest::newRow("window background") << "-2147483643" << true << kSystemWindow << 0 << 0 << 0;
    QTest::newRow("garbage is black") << "abc" << false << 0 << 0 << 0 << 0;
    QTest::newRow("empty is black") << "" << false << 0 << 0 << 0 << 0;
    QTest::newRow("number with junk") << "255px" << false << 0 << 255 << 0 << 0;
    QTest::newRow("above 24 bits keeps low bits") << "16777471" << false << 0 << 255 << 0 << 0;
}

void TestEncodings::colourFromText()
{
    QFETCH(QString, text);
    QFETCH(bool, isSystem);
    QFETCH(int, systemIndex);
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);

    const OleColour colour = OleColour::fromText(text);
    QCOMPARE(colour.isSystem, isSystem);
    QCOMPARE(colour.systemIndex, systemIndex);
    QCOMPARE(colour.red, red);
    QCOMPARE(colour.green, green);
    QCOMPARE(colour.blue, blue);
}

void TestEncodings::colourRoundTrip_data()
{
    QTest::addColumn<qint32>("value");

    const qint32 values[] = {0,        255,         65535,       0x123456,
                             0xFFFFFF, -2147483640, -2147483643, std::numeric_limits<qint32>::min()};
    for (const qint32 value : values)
        QTest::newRow(qPrintable(QString::number(value))) << value;
}

void TestEncodings::colourRoundTrip()
{
    QFETCH(qint32, value);

    const OleColour colour = OleColour::fromValue(value);
    QCOMPARE(colour.value(), value);
    QCOMPARE(colour.text(), QString::number(value));
    QCOMPARE(OleColour::fromText(colour.text()), colour);
}

void TestEncodings::backgroundSetting_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("picture");

    QTest::newRow("system colour and picture") << "-2147483643\\1.jpg"
                                               << "-2147483643"
                                               << "1.jpg";
    QTest::newRow("no picture") << "255\\"
                                << "255"
                                << "";
    QTest::newRow("Chinese picture name") << QStringLiteral("0\\会场.png") << "0" << QStringLiteral("会场.png");
}

void TestEncodings::backgroundSetting()
{
    QFETCH(QString, text);
    QFETCH(QString, colour);
    QFETCH(QString, picture);

    const BackgroundSetting setting = BackgroundSetting::parse(text);
    QCOMPARE(setting.colour, colour);
    QCOMPARE(setting.picture, picture);
    QCOMPARE(setting.text(), text);
}

void TestEncodings::phaseLook_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("clockColour");
    QTest::addColumn<QString>("backColour");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<bool>("roundTrips");

    QTest::newRow("empty picture") << "0\\65535\\"
                                   << "0"
                                   << "65535"
                                   << "" << true;
    QTest::newRow("with picture") << "0\\-2147483643\\1.jpg"
                                  << "0"
                                  << "-2147483643"
                                  << "1.jpg" << true;
    QTest::newRow("two parts only") << "255\\0"
                                    << "255"
                                    << "0"
                                    << "" << false;
    QTest::newRow("empty text") << ""
                                << ""
                                << ""
                                << "" << false;
}

void TestEncodings::phaseLook()
{
    QFETCH(QString, text);
    QFETCH(QString, clockColour);
    QFETCH(QString, backColour);
    QFETCH(QString, picture);
    QFETCH(bool, roundTrips);

    const PhaseLook look = PhaseLook::parse(text);
    QCOMPARE(look.clockColour, clockColour);
    QCOMPARE(look.backColour, backColour);
    QCOMPARE(look.picture, picture);
    if (roundTrips)
        QCOMPARE(look.text(), text);
}

void TestEncodings::fontSizeFields_data()
{
    QTest::addColumn<SizeField>("field");
    QTest::addColumn<int>("expected");

    QTest::newRow("main title") << SizeField::MainTitle << 11;
    QTest::newRow("subtitle") << SizeField::Subtitle << 22;
    QTest::newRow("clock") << SizeField::Clock << 333;
    QTest::newRow("date line") << SizeField::DateLine << 44;
    QTest::newRow("prompt") << SizeField::Prompt << 5;
    QTest::newRow("dynamic text") << SizeField::DynamicText << 66;
}

void TestEncodings::fontSizeFields()
{
    QFETCH(SizeField, field);
    QFETCH(int, expected);

    const QString sizes = QStringLiteral("11/22/333/44/5/66/");
    QCOMPARE(sizes.split(QLatin1Char('/')).size(), 7);
    QVERIFY(sizes.split(QLatin1Char('/')).last().isEmpty());
    QCOMPARE(fontSize(sizes, field), expected);
}

void TestEncodings::fontSizeFallback_data()
{
    QTest::addColumn<QString>("sizes");
    QTest::addColumn<SizeField>("field");
    QTest::addColumn<int>("expected");

    QTest::newRow("first-run sizes") << "90/80/150/100/30/30/" << SizeField::Clock << 150;
    QTest::newRow("number with junk") << "90/80/72pt/100/30/30/" << SizeField::Clock << 72;
    QTest::newRow("fraction truncated") << "90/80/72.9/100/30/30/" << SizeField::Clock << 72;
    QTest::newRow("garbage") << "90/80/abc/100/30/30/" << SizeField::Clock << 150;
    QTest::newRow("zero") << "0/80/150/100/30/30/" << SizeField::MainTitle << 90;
    QTest::newRow("below one point") << "90/0.5/150/100/30/30/" << SizeField::Subtitle << 80;
    QTest::newRow("negative") << "90/80/150/-100/30/30/" << SizeField::DateLine << 100;
    QTest::newRow("largest allowed") << "90/80/1000/100/30/30/" << SizeField::Clock << 1000;
    QTest::newRow("huge") << "90/80/1001/100/30/30/" << SizeField::Clock << 150;
    QTest::newRow("far too large") << "90/80/1e12/100/30/30/" << SizeField::Clock << 150;
    QTest::newRow("empty part") << "90/80/150/100//30/" << SizeField::Prompt << 30;
    QTest::newRow("missing part") << "90/80/" << SizeField::DynamicText << 30;
    QTest::newRow("empty text") << "" << SizeField::MainTitle << 90;
    QTest::newRow("no trailing slash") << "90/80/150/100/30/44" << SizeField::DynamicText << 44;
}

void TestEncodings::fontSizeFallback()
{
    QFETCH(QString, sizes);
    QFETCH(SizeField, field);
    QFETCH(int, expected);
    QCOMPARE(fontSize(sizes, field), expected);
}

void TestEncodings::withFontSize_data()
{
    QTest::addColumn<QString>("sizes");
    QTest::addColumn<SizeField>("field");
    QTest::addColumn<int>("points");
    QTest::addColumn<QString>("expected");

    QTest::newRow("clock") << "90/80/150/100/30/30/" << SizeField::Clock << 200 << "90/80/200/100/30/30/";
    QTest::newRow("first") << "1/2/3/4/5/6/" << SizeField::MainTitle << 9 << "9/2/3/4/5/6/";
    QTest::newRow("last") << "1/2/3/4/5/6/" << SizeField::DynamicText << 9 << "1/2/3/4/5/9/";
    QTest::newRow("short text filled") << "12/" << SizeField::Prompt << 40 << "12/80/150/100/40/30/";
    QTest::newRow("garbage parts repaired")
        << "x/80/0/100/30/30/" << SizeField::Subtitle << 81 << "90/81/150/100/30/30/";
    QTest::newRow("empty text") << "" << SizeField::DateLine << 120 << "90/80/150/120/30/30/";
}

void TestEncodings::withFontSize()
{
    QFETCH(QString, sizes);
    QFETCH(SizeField, field);
    QFETCH(int, points);
    QFETCH(QString, expected);

    const QString result = melvanta::withFontSize(sizes, field, points);
    QCOMPARE(result, expected);
    QCOMPARE(fontSize(result, field), points);
}

void TestEncodings::comboChoices_data()
{
    QTest::addColumn<QString>("combolist");
    QTest::addColumn<int>("formatIndex");
    QTest::addColumn<int>("timingMode");
    QTest::addColumn<EndAction>("endAction");

    QTest::newRow("first-run") << "100" << 1 << 0 << EndAction::Overtime;
    QTest::newRow("every part set") << "213" << 2 << 1 << EndAction::NextStage;
    QTest::newRow("system time, stop") << "021" << 0 << 2 << EndAction::Stop;
    QTest::newRow("long-term format, reset") << "502" << 5 << 0 << EndAction::Reset;
    QTest::newRow("junk and out of range") << "x9z" << 0 << 0 << EndAction::Overtime;
    QTest::newRow("mode and action out of range") << "034" << 0 << 0 << EndAction::Overtime;
    QTest::newRow("empty") << "" << 0 << 0 << EndAction::Overtime;
    QTest::newRow("one character out of range") << "7" << 0 << 0 << EndAction::Overtime;
    QTest::newRow("one character") << "3" << 3 << 0 << EndAction::Overtime;
    QTest::newRow("extra characters ignored") << "1239" << 1 << 2 << EndAction::NextStage;
}

void TestEncodings::comboChoices()
{
    QFETCH(QString, combolist);
    QFETCH(int, formatIndex);
    QFETCH(int, timingMode);
    QFETCH(EndAction, endAction);

    const ComboChoices choices = ComboChoices::parse(combolist);
    QCOMPARE(choices.formatIndex, formatIndex);
    QCOMPARE(choices.timingMode, timingMode);
    QCOMPARE(choices.endAction, endAction);
}

QTEST_GUILESS_MAIN(TestEncodings)
#include "tst_encodings.moc"
