#include "DataRows.h"
#include "TestSupport.h"
#include "settings/SettingsEntries.h"
#include "storage/ProfileFile.h"
#include "storage/RegistryStore.h"

#include <QtTest>

using namespace melvanta;

// The checks apply runs on the alert points, the stage apply builds from
// the dialog's entries, and the entries a damaged profile gives.
class TestSettingsEntries : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void alertPointChecks_data();
    void alertPointChecks();
    void applyBuildsTheStage();
    void garbageFillsDefaults();
    void appearanceInStageEncodings();
    void typedSizes_data();
    void typedSizes();
};

namespace {

const QString kSpacing = QStringLiteral("间隔\r\r要超【系统→提醒持续】设定值%1秒以上，请修改");

// Entries for a total of `total` seconds and alarm 1 … final seconds at
// `points` seconds (-1: off), with an alert duration of `duration`.
SettingsEntries entriesOf(int total, const QList<int>& points, const QString& duration)
{
    SettingsEntries e = withStage(SettingsEntries(), StageSettings::defaults(QDate(2026, 12, 7)));
    e.checkone = QStringLiteral("0000000");
    e.checktwo = QString(21, QLatin1Char('0'));
    e.checkthree = QStringLiteral("000000");
    e.checkfour = QStringLiteral("0000");
    e.timeBoxes[1] = QString::number(total / 3600);
    e.timeBoxes[2] = QString::number(total / 60 % 60);
    e.timeBoxes[3] = QString::number(total % 60);
    for (int k = 0; k < 4; ++k) {
        const int seconds = k < points.size() ? points[k] : -1;
        // An unused point stands at a distinct second, as a real stage's would.
        const int at = seconds >= 0 ? seconds : 3540 - k;
        e.timeBoxes[4 + 2 * k] = QString::number(at / 60);
        e.timeBoxes[5 + 2 * k] = QString::number(at % 60);
        e.checkone[1 + k] = seconds >= 0 ? QLatin1Char('1') : QLatin1Char('0');
    }
    e.timeBoxes[12] = e.timeBoxes[13] = QStringLiteral("0");
    e.alertDuration = duration;
    return e;
}

} // namespace

void TestSettingsEntries::alertPointChecks_data()
{
    QTest::addColumn<int>("total");
    QTest::addColumn<QList<int>>("points"); // alarm 1, 2, 3, final seconds; -1 off
    QTest::addColumn<QString>("duration");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("gaps equal the duration") << 60 << QList<int>{50, 40, 30, 20} << "10" << QStringList();
    QTest::newRow("gaps one short: four messages")
        << 60 << QList<int>{50, 40, 30, 20} << "11"
        << QStringList{"计时时长比报警1" + kSpacing.arg(11), "报警1比报警2" + kSpacing.arg(11),
                       "报警2比报警3" + kSpacing.arg(11), "报警3比读秒" + kSpacing.arg(11)};
    QTest::newRow("points not descending")
        << 60 << QList<int>{30, 50} << "5" << QStringList{"报警1比报警2" + kSpacing.arg(5)};
    QTest::newRow("all points off") << 60 << QList<int>{-1, -1, -1, -1} << "5" << QStringList();
    QTest::newRow("only the total, any total") << 3 << QList<int>{} << "5" << QStringList();
    QTest::newRow("last point at the duration")
        << 60 << QList<int>{5} << "5" << QStringList{"报警1设定值，要大于【系统→提醒持续】设定值5秒，请修改"};
    QTest::newRow("last point above the duration") << 60 << QList<int>{6} << "5" << QStringList();
    QTest::newRow("minutes compared in seconds") << 600 << QList<int>{300} << "5" << QStringList();
    QTest::newRow("a fractional duration prints as typed")
        << 60 << QList<int>{58} << "2.5" << QStringList{"计时时长比报警1" + kSpacing.arg("2.5")};
}

void TestSettingsEntries::alertPointChecks()
{
    QFETCH(int, total);
    QFETCH(QList<int>, points);
    QFETCH(QString, duration);
    QFETCH(QStringList, messages);
    QCOMPARE(stageFromEntries(entriesOf(total, points, duration)).messages, messages);

    // Equal points: only the first pair is said, disabled points included.
    SettingsEntries equal = entriesOf(60, {50, 40}, "5");
    equal.timeBoxes[8] = QStringLiteral("1"); // alarm 3 (off) at 60 s, the total
    equal.timeBoxes[9] = QStringLiteral("0");
    equal.timeBoxes[6] = QStringLiteral("0"); // alarm 2 at 50 s, as alarm 1
    equal.timeBoxes[7] = QStringLiteral("50");
    QCOMPARE(stageFromEntries(equal).messages, QStringList{"计时时长和报警3提醒时间不能相同，请修改"});
}

void TestSettingsEntries::applyBuildsTheStage()
{
    SettingsEntries e = entriesOf(120, {60, 30}, "5");
    e.timeBoxes[1] = QStringLiteral("0");
    e.timeBoxes[2] = QStringLiteral("02"); // as typed
    e.timeBoxes[12] = QStringLiteral("1");
    e.timeBoxes[13] = QStringLiteral("30");
    e.formatIndex = 1;
    e.modeIndex = 0;
    e.actionIndex = 3;
    e.phaseTexts[6] = QString(10000, QChar(0x65f6)); // a long end text goes through whole
    e.phaseTexts[13] = QStringLiteral("O'Brien.wav");
    const AppliedStage applied = stageFromEntries(e);
    QVERIFY(applied.accepted());
    const StageSettings& s = applied.stage;
    QCOMPARE(s.Time_all, QTime(0, 2, 0));
    QCOMPARE(s.Time_one, QTime(0, 1, 0));
    QCOMPARE(s.Time_two, QTime(0, 0, 30));
    QCOMPARE(s.Time_five, QTime(0, 1, 30));
    QCOMPARE(s.combolist, QStringLiteral("103"));
    QCOMPARE(s.checkone, QStringLiteral("0110000"));
    QCOMPARE(s.time_date, QDate(2000, 1, 1)); // no long-term timing
    QCOMPARE(s.textend.size(), 10000);
    QCOMPARE(s.musicend, QStringLiteral("O'Brien.wav"));
    QCOMPARE(s.tixingtime, qint16(5));
    QCOMPARE(s.firstfont, e.stage.firstfont); // an untouched font comes back as it was

    // Long-term timing takes the date boxes, clamped to a real day.
    e.checkone[6] = QLatin1Char('1');
    e.dateBoxes = {QStringLiteral("2028"), QStringLiteral("2"), QStringLiteral("31")};
    QCOMPARE(stageFromEntries(e).stage.time_date, QDate(2028, 2, 29));
}

void TestSettingsEntries::garbageFillsDefaults()
{
    TestSandbox sandbox;
    ProfileFile profile(sandbox.writeFile(QStringLiteral("TimeData.db"), R"([pictureset]
Option=yes
Width=12a
Height=
Delaytime=-4
[Marquee]
Mode=7
MarQueespeed=３
[Hotkey]
start=
often=1
)"));
    RegistryStore registry;
    StageSettings stage = StageSettings::defaults(QDate(2026, 12, 7));
    stage.checkone = QStringLiteral("1x");
    stage.combolist = QStringLiteral("99z");
    const SettingsEntries e = fillEntries(stage, profile, registry);
    QCOMPARE(e.logoWidth, QStringLiteral("800"));
    QCOMPARE(e.logoHeight, QStringLiteral("600"));
    QCOMPARE(e.delaySeconds, QStringLiteral("2"));
    QCOMPARE(e.marqueeMode, 0);
    QCOMPARE(e.marqueeSpeed, QStringLiteral("1"));
    QCOMPARE(e.hotkeyStart, QStringLiteral("无"));
    QCOMPARE(e.hotkeyPause, QStringLiteral("无"));
    QVERIFY(e.stageKeyCtrl && !e.stageKeyAlt);
    QCOMPARE(e.checkone, QStringLiteral("1000000"));
    QCOMPARE(e.checkfour.at(3), QLatin1Char('0'));
    QVERIFY(e.formatIndex >= 0 && e.formatIndex <= 2 && e.modeIndex >= 0 && e.modeIndex <= 2);
    QVERIFY(e.actionIndex >= 0 && e.actionIndex <= 3);
    // Simple mode is written when missing, and off.
    QCOMPARE(registry.number(QStringLiteral("simple"), -1), 0);
    QVERIFY(!e.simpleMode);

    // With simple mode on, the hidden switches take their fixed values.
    registry.setNumber(QStringLiteral("simple"), 1);
    stage.checkone = QStringLiteral("1111111");
    stage.checkfour = QStringLiteral("1000");
    const SettingsEntries simple = fillEntries(stage, profile, registry);
    QCOMPARE(simple.checkone, QStringLiteral("0001001"));
    QCOMPARE(simple.checkfour.left(3), QStringLiteral("011"));
    QCOMPARE(simple.delaySeconds, QStringLiteral("2"));
}

void TestSettingsEntries::appearanceInStageEncodings()
{
    StageSettings stored = StageSettings::defaults(QDate(2026, 12, 7));
    stored.highsetfour = QStringLiteral("0\\65535\\");
    SettingsEntries e = withStage(SettingsEntries(), stored);
    QCOMPARE(e.sizes[2], QStringLiteral("150"));
    QCOMPARE(e.phaseLooks[4].backColour, QStringLiteral("65535"));
    QCOMPARE(e.background.colour, QStringLiteral("-2147483643"));
    e.fonts[1] = QStringLiteral("黑体");
    e.sizes[2] = QStringLiteral("300");
    e.sizes[5] = QString(); // left empty: the stored size stays
    e.colours[0] = QStringLiteral("255");
    e.mainTitle = QStringLiteral("O'Brien \"年会\"");
    e.background = {QStringLiteral("-2147483640"), QStringLiteral("台 1.jpg")};
    e.phaseLooks[6] = {QStringLiteral("255"), QStringLiteral("0"), QString()};
    const AppliedStage applied = stageFromEntries(e);
    QVERIFY2(applied.accepted(), qPrintable(applied.messages.join(QLatin1Char('\n'))));
    const StageSettings& s = applied.stage;
    QCOMPARE(s.secondfont, QStringLiteral("黑体"));
    QCOMPARE(s.sizethree, QStringLiteral("90/80/300/100/30/30/"));
    QCOMPARE(s.firstcolour, QStringLiteral("255"));
    QCOMPARE(s.firsttext, e.mainTitle);
    QCOMPARE(s.background, QStringLiteral("-2147483640\\台 1.jpg"));
    QCOMPARE(s.highsetend, QStringLiteral("255\\0\\"));
    QCOMPARE(s.highsetfour, QStringLiteral("0\\65535\\"));
    QCOMPARE(s.highsetstart, stored.highsetstart);
}

void TestSettingsEntries::typedSizes_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    addTestRow("outside the list", QStringLiteral("233"), true);
    addTestRow("smallest", QStringLiteral("8"), true);
    addTestRow("zero", QStringLiteral("0"), false);
    addTestRow("absurd", QStringLiteral("99999"), false);
    addTestRow("not digits", QStringLiteral("12a"), false);
}

void TestSettingsEntries::typedSizes()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    SettingsEntries e = entriesOf(120, {60, 30}, "5");
    e.sizes[0] = typed;
    const AppliedStage applied = stageFromEntries(e);
    QCOMPARE(applied.accepted(), accepted);
    if (accepted)
        QCOMPARE(fontSize(applied.stage.sizethree, SizeField::MainTitle), typed.toInt());
    else
        QCOMPARE(applied.messages.value(0), QStringLiteral("主标题的字号要在8到1000之间，请修改"));
}

QTEST_GUILESS_MAIN(TestSettingsEntries)
#include "tst_settingsentries.moc"
