#include "core/StageSettings.h"

#include <QHash>
#include <QSet>
#include <QtTest>

#include <functional>

using namespace melvanta;

Q_DECLARE_METATYPE(melvanta::AlertPhase)
Q_DECLARE_METATYPE(melvanta::FieldKind)

namespace {

const QDate kToday(2024, 3, 15);

const StageField& fieldNamed(const char* name)
{
    for (const StageField& field : stageFields()) {
        if (qstrcmp(field.name, name) == 0)
            return field;
    }
    qFatal("no stage field %s", name);
}

// A record in which every field holds a value of its own, different from
// the defaults, together with the stored text expected for each name.
StageSettings distinctRecord(QHash<QString, QString>* expected)
{
    StageSettings s;
    int hour = 0;
#define MELVANTA_TIME(m)                                                                                               \
    s.m = QTime(++hour, 2, 3);                                                                                         \
    expected->insert(QStringLiteral(#m), s.m.toString(QStringLiteral("hh:mm:ss")))
#define MELVANTA_TEXT(m)                                                                                               \
    s.m = QStringLiteral(#m);                                                                                          \
    expected->insert(QStringLiteral(#m), QStringLiteral(#m))
    MELVANTA_TIME(Time_all);
    MELVANTA_TIME(Time_one);
    MELVANTA_TIME(Time_two);
    MELVANTA_TIME(Time_three);
    MELVANTA_TIME(Time_four);
    MELVANTA_TIME(Time_five);
    s.time_date = QDate(2031, 7, 9);
    expected->insert(QStringLiteral("time_date"), QStringLiteral("2031-07-09"));
    MELVANTA_TEXT(checkone);
    MELVANTA_TEXT(checktwo);
    MELVANTA_TEXT(textstart);
    MELVANTA_TEXT(textone);
    MELVANTA_TEXT(texttwo);
    MELVANTA_TEXT(textthree);
    MELVANTA_TEXT(textfour);
    MELVANTA_TEXT(textfive);
    MELVANTA_TEXT(textend);
    MELVANTA_TEXT(musicstart);
    MELVANTA_TEXT(musicone);
    MELVANTA_TEXT(musictwo);
    MELVANTA_TEXT(musicthree);
    MELVANTA_TEXT(musicfour);
    MELVANTA_TEXT(musicfive);
    MELVANTA_TEXT(musicend);
    MELVANTA_TEXT(firstfont);
    MELVANTA_TEXT(firstcolour);
    MELVANTA_TEXT(firsttext);
    MELVANTA_TEXT(secondfont);
    MELVANTA_TEXT(secondcolour);
    MELVANTA_TEXT(secondtext);
    MELVANTA_TEXT(clockFont);
    MELVANTA_TEXT(clockcolour);
    MELVANTA_TEXT(background);
    MELVANTA_TEXT(stagefont);
    MELVANTA_TEXT(stagecolour);
    MELVANTA_TEXT(textfont);
    MELVANTA_TEXT(textcolour);
    MELVANTA_TEXT(rollfont);
    MELVANTA_TEXT(rollcolour);
    MELVANTA_TEXT(sizethree);
    MELVANTA_TEXT(checkthree);
    MELVANTA_TEXT(checkfour);
    MELVANTA_TEXT(combolist);
    MELVANTA_TEXT(logopicture);
    s.tixingtime = -1234;
    expected->insert(QStringLiteral("tixingtime"), QStringLiteral("-1234"));
    MELVANTA_TEXT(highsetstart);
    MELVANTA_TEXT(highsetone);
    MELVANTA_TEXT(highsettwo);
    MELVANTA_TEXT(highsetthree);
    MELVANTA_TEXT(highsetfour);
    MELVANTA_TEXT(highsetfive);
    MELVANTA_TEXT(highsetend);
#undef MELVANTA_TIME
#undef MELVANTA_TEXT
    return s;
}

// A named switch accessor and the character it must read.
struct SwitchCase
{
    const char* name;
    QString StageSettings::*member;
    int length;
    int position;
    std::function<bool(const StageSettings&)> read;
};

const QVector<SwitchCase>& switchCases()
{
    using S = StageSettings;
    static const QVector<SwitchCase> cases{
        {"continuousReminder", &S::checkone, 7, 1, [](const S& s) { return s.continuousReminder(); }},
        {"alarmEnabled(1)", &S::checkone, 7, 2, [](const S& s) { return s.alarmEnabled(1); }},
        {"alarmEnabled(2)", &S::checkone, 7, 3, [](const S& s) { return s.alarmEnabled(2); }},
        {"alarmEnabled(3)", &S::checkone, 7, 4, [](const S& s) { return s.alarmEnabled(3); }},
        {"finalSecondsEnabled", &S::checkone, 7, 5, [](const S& s) { return s.finalSecondsEnabled(); }},
        {"overtimeEnabled", &S::checkone, 7, 6, [](const S& s) { return s.overtimeEnabled(); }},
        {"longTerm", &S::checkone, 7, 7, [](const S& s) { return s.longTerm(); }},
        {"phaseLooksEnabled", &S::checkthree, 6, 1, [](const S& s) { return s.phaseLooksEnabled(); }},
        {"promptShowsWeekday", &S::checkthree, 6, 2, [](const S& s) { return s.promptShowsWeekday(); }},
        {"showDynamicText", &S::checkthree, 6, 3, [](const S& s) { return s.showDynamicText(); }},
        {"mainTitleCentred", &S::checkthree, 6, 4, [](const S& s) { return s.mainTitleCentred(); }},
        {"subtitleCentred", &S::checkthree, 6, 5, [](const S& s) { return s.subtitleCentred(); }},
        {"showOvertimeClock", &S::checkfour, 4, 1, [](const S& s) { return s.showOvertimeClock(); }},
        {"clockShowsEndText", &S::checkfour, 4, 2, [](const S& s) { return s.clockShowsEndText(); }},
        {"restartAfterDelay", &S::checkfour, 4, 3, [](const S& s) { return s.restartAfterDelay(); }},
        {"logoCustomSize", &S::checkfour, 4, 4, [](const S& s) { return s.logoCustomSize(); }},
    };
    return cases;
}

} // namespace

class TestStageSettings : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void phaseDefaults_data();
    void phaseDefaults();
    void fieldOrder_data();
    void fieldOrder();
    void fieldNamesAreUnique();
    void fieldsReachTheirMembers();
    void defaultsRoundTripThroughText();
    void equalityLooksAtEveryField();
    void parseStoredTime_data();
    void parseStoredTime();
    void parseStoredDate_data();
    void parseStoredDate();
    void setFieldFromText_data();
    void setFieldFromText();
    void switchAccessors_data();
    void switchAccessors();
    void phaseEffectReadsItsCharacter();
};

void TestStageSettings::defaults()
{
    const StageSettings s = StageSettings::defaults(kToday);
    QCOMPARE(s.Time_all, QTime(0, 1, 0));
    QCOMPARE(s.Time_five, QTime(0, 0, 10));
    QCOMPARE(s.time_date, kToday);
    QCOMPARE(s.checkone, QStringLiteral("1111110"));
    QCOMPARE(s.checktwo, QString(21, QLatin1Char('1')));
    QCOMPARE(s.sizethree, QStringLiteral("90/80/150/100/30/30/"));
    QCOMPARE(s.highsetfour, QStringLiteral("0\\65535\\"));
    QCOMPARE(s.tixingtime, qint16(5));
    QVERIFY(s.secondtext.isEmpty());
    QVERIFY(s.logopicture.isEmpty());

    // The switches the first run starts with.
    QVERIFY(s.continuousReminder());
    QVERIFY(s.overtimeEnabled());
    QVERIFY(!s.longTerm());
    QVERIFY(!s.phaseLooksEnabled());
    QVERIFY(s.showDynamicText());
    QCOMPARE(s.choices().formatIndex, 1);
    QCOMPARE(s.choices().endAction, EndAction::Overtime);

    QCOMPARE(StageSettings::defaults(QDate(2030, 1, 2)).time_date, QDate(2030, 1, 2));
}

void TestStageSettings::phaseDefaults_data()
{
    QTest::addColumn<AlertPhase>("phase");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("sound");
    QTest::addColumn<QString>("look");

    const QString clearLook = QStringLiteral("0\\-2147483643\\1.jpg");
    QTest::newRow("start") << AlertPhase::Start << QStringLiteral("开始计时") << "alarm.wav" << clearLook;
    QTest::newRow("one") << AlertPhase::One << QStringLiteral("阶段一") << "Timeout.wav" << clearLook;
    QTest::newRow("two") << AlertPhase::Two << QStringLiteral("阶段二") << "Timeout.wav" << clearLook;
    QTest::newRow("three") << AlertPhase::Three << QStringLiteral("阶段三") << "Timeout.wav" << clearLook;
    QTest::newRow("four") << AlertPhase::Four << QStringLiteral("读秒") << "Timeout.wav"
                          << "0\\65535\\";
    QTest::newRow("five") << AlertPhase::Five << QStringLiteral("已超时") << "Timeout.wav"
                          << "0\\65535\\";
    QTest::newRow("end") << AlertPhase::End << QStringLiteral("时间到") << "Stop.wav"
                         << "0\\255\\";
}

void TestStageSettings::phaseDefaults()
{
    QFETCH(AlertPhase, phase);
    QFETCH(QString, text);
    QFETCH(QString, sound);
    QFETCH(QString, look);

    const StageSettings s = StageSettings::defaults(kToday);
    QCOMPARE(s.phaseText(phase), text);
    QCOMPARE(s.phaseSound(phase), sound);
    QCOMPARE(s.phaseLook(phase), look);

    // The per-phase accessors reach the field with the phase's suffix.
    const QString suffix = QString::fromLatin1(phaseInfo(phase).suffix);
    QCOMPARE(fieldText(s, fieldNamed(qPrintable(QStringLiteral("text") + suffix))), text);
    QCOMPARE(fieldText(s, fieldNamed(qPrintable(QStringLiteral("music") + suffix))), sound);
    QCOMPARE(fieldText(s, fieldNamed(qPrintable(QStringLiteral("highset") + suffix))), look);
}

void TestStageSettings::fieldOrder_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<FieldKind>("kind");

    QTest::newRow("first") << 0 << "Time_all" << FieldKind::Time;
    QTest::newRow("last time") << 5 << "Time_five" << FieldKind::Time;
    QTest::newRow("date") << 6 << "time_date" << FieldKind::Date;
    QTest::newRow("phase switches") << 7 << "checkone" << FieldKind::Text;
    QTest::newRow("effect switches") << 8 << "checktwo" << FieldKind::Text;
    QTest::newRow("first text") << 9 << "textstart" << FieldKind::Text;
    QTest::newRow("last text") << 15 << "textend" << FieldKind::Text;
    QTest::newRow("first sound") << 16 << "musicstart" << FieldKind::Text;
    QTest::newRow("last sound") << 22 << "musicend" << FieldKind::Text;
    QTest::newRow("main title font") << 23 << "firstfont" << FieldKind::Text;
    QTest::newRow("subtitle text") << 28 << "secondtext" << FieldKind::Text;
    QTest::newRow("clock font") << 29 << "clockFont" << FieldKind::Text;
    QTest::newRow("background") << 31 << "background" << FieldKind::Text;
    QTest::newRow("sizes") << 38 << "sizethree" << FieldKind::Text;
    QTest::newRow("combolist") << 41 << "combolist" << FieldKind::Text;
    QTest::newRow("reminder") << 43 << "tixingtime" << FieldKind::Int16;
    QTest::newRow("first look") << 44 << "highsetstart" << FieldKind::Text;
    QTest::newRow("last") << 50 << "highsetend" << FieldKind::Text;
}

void TestStageSettings::fieldOrder()
{
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(FieldKind, kind);

    QCOMPARE(int(stageFields().size()), 51);
    QCOMPARE(QString::fromLatin1(stageFields()[index].name), name);
    QCOMPARE(stageFields()[index].kind(), kind);
}

void TestStageSettings::fieldNamesAreUnique()
{
    QSet<QString> names;
    int times = 0;
    int others = 0;
    for (const StageField& field : stageFields()) {
        names.insert(QString::fromLatin1(field.name).toLower());
        if (field.kind() == FieldKind::Time)
            ++times;
        else if (field.kind() != FieldKind::Text)
            ++others;
    }
    // Unique even ignoring case, as the Windows registry compares names.
    QCOMPARE(names.size(), 51);
    QCOMPARE(times, 6);
    QCOMPARE(others, 2); // time_date and tixingtime
}

void TestStageSettings::fieldsReachTheirMembers()
{
    QHash<QString, QString> expected;
    const StageSettings s = distinctRecord(&expected);
    QCOMPARE(expected.size(), 51);

    StageSettings rebuilt = StageSettings::defaults(kToday);
    for (const StageField& field : stageFields()) {
        const QString name = QString::fromLatin1(field.name);
        QVERIFY2(expected.contains(name), field.name);
        QCOMPARE(fieldText(s, field), expected.value(name));
        QVERIFY2(melvanta::setFieldFromText(rebuilt, field, expected.value(name)), field.name);
    }
    QCOMPARE(rebuilt.Time_all, s.Time_all);
    QCOMPARE(rebuilt.Time_five, s.Time_five);
    QCOMPARE(rebuilt.time_date, s.time_date);
    QCOMPARE(rebuilt.textthree, QStringLiteral("textthree"));
    QCOMPARE(rebuilt.highsetend, QStringLiteral("highsetend"));
    QCOMPARE(rebuilt.tixingtime, qint16(-1234));
    QVERIFY(rebuilt == s);
}

void TestStageSettings::defaultsRoundTripThroughText()
{
    const StageSettings defaults = StageSettings::defaults(kToday);
    QHash<QString, QString> unused;
    StageSettings target = distinctRecord(&unused);
    for (const StageField& field : stageFields()) {
        const QString text = fieldText(defaults, field);
        QVERIFY2(melvanta::setFieldFromText(target, field, text), field.name);
        QCOMPARE(fieldText(target, field), text);
    }
    QVERIFY(target == defaults);
    QCOMPARE(fieldText(defaults, fieldNamed("Time_one")), QStringLiteral("00:00:50"));
    QCOMPARE(fieldText(defaults, fieldNamed("time_date")), QStringLiteral("2024-03-15"));
    QCOMPARE(fieldText(defaults, fieldNamed("tixingtime")), QStringLiteral("5"));
}

void TestStageSettings::equalityLooksAtEveryField()
{
    const StageSettings defaults = StageSettings::defaults(kToday);
    QHash<QString, QString> expected;
    const StageSettings other = distinctRecord(&expected);
    for (const StageField& field : stageFields()) {
        StageSettings changed = defaults;
        QVERIFY(melvanta::setFieldFromText(changed, field, expected.value(QString::fromLatin1(field.name))));
        QVERIFY2(changed != defaults, field.name);
    }
    QVERIFY(other != defaults);
    QVERIFY(StageSettings::defaults(kToday) == defaults);
}

void TestStageSettings::parseStoredTime_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QTime>("expected");

    QTest::newRow("fixed form") << "00:01:00" << QTime(0, 1, 0);
    QTest::newRow("locale form") << "0:01:00" << QTime(0, 1, 0);
    QTest::newRow("with zero date") << "1899/12/30 0:01:00" << QTime(0, 1, 0);
    QTest::newRow("with ISO date") << "2024-01-05 23:59:59" << QTime(23, 59, 59);
    QTest::newRow("hours and minutes") << "12:00" << QTime(12, 0, 0);
    QTest::newRow("single digits") << "1:2:3" << QTime(1, 2, 3);
    QTest::newRow("midnight") << "0:00:00" << QTime(0, 0, 0);
    QTest::newRow("surrounding blanks") << "  00:00:30 " << QTime(0, 0, 30);
    QTest::newRow("garbage") << "abc" << QTime();
    QTest::newRow("empty") << "" << QTime();
    QTest::newRow("24 hours or more") << "25:00:00" << QTime();
    QTest::newRow("minute out of range") << "12:60:00" << QTime();
    QTest::newRow("second out of range") << "12:00:61" << QTime();
    QTest::newRow("trailing junk") << "00:01:00x" << QTime();
    QTest::newRow("glued to a date") << "2024/1/500:01:00" << QTime();
    QTest::newRow("number only") << "60" << QTime();
    QTest::newRow("date only") << "2024/1/5" << QTime();
    QTest::newRow("too many digits") << "123:00:00" << QTime();
}

void TestStageSettings::parseStoredTime()
{
    QFETCH(QString, text);
    QFETCH(QTime, expected);

    const QTime actual = melvanta::parseStoredTime(text);
    QCOMPARE(actual.isValid(), expected.isValid());
    if (expected.isValid())
        QCOMPARE(actual, expected);
}

void TestStageSettings::parseStoredDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("expected");

    QTest::newRow("fixed form") << "2024-01-05" << QDate(2024, 1, 5);
    QTest::newRow("locale form") << "2024/1/5" << QDate(2024, 1, 5);
    QTest::newRow("locale form with time") << "2024/1/5 0:00:00" << QDate(2024, 1, 5);
    QTest::newRow("off marker") << "2000-01-01" << QDate(2000, 1, 1);
    QTest::newRow("dotted") << "2024.12.31" << QDate(2024, 12, 31);
    QTest::newRow("leap day") << "2024-02-29" << QDate(2024, 2, 29);
    QTest::newRow("no such day") << "2023-02-29" << QDate();
    QTest::newRow("month out of range") << "2024-13-01" << QDate();
    QTest::newRow("two-digit year") << "24/1/5" << QDate();
    QTest::newRow("day first") << "05/01/2024" << QDate();
    QTest::newRow("trailing junk") << "2024-01-05x" << QDate();
    QTest::newRow("time only") << "0:01:00" << QDate();
    QTest::newRow("garbage") << "abc" << QDate();
    QTest::newRow("empty") << "" << QDate();
}

void TestStageSettings::parseStoredDate()
{
    QFETCH(QString, text);
    QFETCH(QDate, expected);

    const QDate actual = melvanta::parseStoredDate(text);
    QCOMPARE(actual.isValid(), expected.isValid());
    if (expected.isValid())
        QCOMPARE(actual, expected);
}

void TestStageSettings::setFieldFromText_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("stored"); // fieldText afterwards

    QTest::newRow("reminder") << "tixingtime"
                              << "3" << true << "3";
    QTest::newRow("reminder with blanks") << "tixingtime"
                                          << " 12 " << true << "12";
    QTest::newRow("reminder largest") << "tixingtime"
                                      << "32767" << true << "32767";
    QTest::newRow("reminder garbage") << "tixingtime"
                                      << "x" << false << "5";
    QTest::newRow("reminder number prefix") << "tixingtime"
                                            << "7x" << false << "5";
    QTest::newRow("reminder empty") << "tixingtime"
                                    << "" << false << "5";
    QTest::newRow("reminder above 16 bits") << "tixingtime"
                                            << "70000" << false << "5";
    QTest::newRow("reminder below 16 bits") << "tixingtime"
                                            << "-32769" << false << "5";
    QTest::newRow("time older form") << "Time_all"
                                     << "1899/12/30 0:05:00" << true << "00:05:00";
    QTest::newRow("time garbage") << "Time_three"
                                  << "abc" << false << "00:00:30";
    QTest::newRow("time empty") << "Time_four"
                                << "" << false << "00:00:20";
    QTest::newRow("date older form") << "time_date"
                                     << "2025/6/7" << true << "2025-06-07";
    QTest::newRow("date garbage") << "time_date"
                                  << "soon" << false << "2024-03-15";
    QTest::newRow("text taken as it stands") << "firsttext"
                                             << " a,b \\ \"q\" " << true << " a,b \\ \"q\" ";
    QTest::newRow("text may be empty") << "firsttext"
                                       << "" << true << "";
    QTest::newRow("switches not checked here") << "checkone"
                                               << "111" << true << "111";
}

void TestStageSettings::setFieldFromText()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(QString, stored);

    StageSettings s = StageSettings::defaults(kToday);
    const StageSettings before = s;
    const StageField& target = fieldNamed(qPrintable(field));
    QCOMPARE(melvanta::setFieldFromText(s, target, text), accepted);
    QCOMPARE(fieldText(s, target), stored);
    if (!accepted)
        QVERIFY(s == before);
}

void TestStageSettings::switchAccessors_data()
{
    QTest::addColumn<int>("caseIndex");
    for (int i = 0; i < switchCases().size(); ++i)
        QTest::newRow(switchCases()[i].name) << i;
}

void TestStageSettings::switchAccessors()
{
    QFETCH(int, caseIndex);
    const SwitchCase& c = switchCases()[caseIndex];

    StageSettings s = StageSettings::defaults(kToday);
    s.*c.member = withSwitch(QString(c.length, QLatin1Char('0')), c.position, true);
    QVERIFY(c.read(s));
    s.*c.member = withSwitch(QString(c.length, QLatin1Char('1')), c.position, false);
    QVERIFY(!c.read(s));
    // A string cut short before the switch reads as off.
    s.*c.member = QString(c.position - 1, QLatin1Char('1'));
    QVERIFY(!c.read(s));
}

void TestStageSettings::phaseEffectReadsItsCharacter()
{
    const PhaseEffect effects[] = {PhaseEffect::ShowText, PhaseEffect::PlaySound, PhaseEffect::Flash};
    StageSettings s = StageSettings::defaults(kToday);
    for (int position = 1; position <= 21; ++position) {
        s.checktwo = withSwitch(QString(21, QLatin1Char('0')), position, true);
        for (const PhaseEffect effect : effects) {
            for (int p = 0; p < kAlertPhaseCount; ++p) {
                const auto phase = static_cast<AlertPhase>(p);
                const bool expected = position == 7 * static_cast<int>(effect) + p + 1;
                QVERIFY2(s.phaseEffect(effect, phase) == expected,
                         qPrintable(QStringLiteral("position %1, effect %2, phase %3")
                                        .arg(position)
                                        .arg(static_cast<int>(effect))
                                        .arg(p)));
            }
        }
    }
    s.checktwo = withSwitch(QString(21, QLatin1Char('0')), 21, true);
    QVERIFY(s.phaseEffect(PhaseEffect::Flash, AlertPhase::End));
    s.checktwo = withSwitch(QString(21, QLatin1Char('0')), 8, true);
    QVERIFY(s.phaseEffect(PhaseEffect::PlaySound, AlertPhase::Start));
}

QTEST_GUILESS_MAIN(TestStageSettings)
#include "tst_stagesettings.moc"
