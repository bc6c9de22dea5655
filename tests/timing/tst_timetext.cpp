#include "timing/TimeText.h"

#include <QtTest>

using namespace melvanta;

Q_DECLARE_METATYPE(melvanta::TimingMode)

class TestTimeText : public QObject
{
    Q_OBJECT

private slots:
    void msToParts_data();
    void msToParts();
    void timeToSeconds_data();
    void timeToSeconds();
    void secondsToTime_data();
    void secondsToTime();
    void parseRunTimeText_data();
    void parseRunTimeText();
    void timeFormatList_data();
    void timeFormatList();
    void formatClockText_data();
    void formatClockText();
    void formatLongTerm_data();
    void formatLongTerm();
};

void TestTimeText::msToParts_data()
{
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<int>("hours");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("tenths");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("runText");

    QTest::newRow("zero") << qint64(0) << 0 << 0 << 0 << 0 << "0\\0\\0\\0"
                          << "00:00:00";
    QTest::newRow("tenths digit only") << qint64(999) << 0 << 0 << 0 << 9 << "0\\0\\0\\9"
                                       << "00:00:00";
    QTest::newRow("hundredths do not round") << qint64(1099) << 0 << 0 << 1 << 0 << "0\\0\\1\\0"
                                             << "00:00:01";
    QTest::newRow("last ms of a minute") << qint64(59999) << 0 << 0 << 59 << 9 << "0\\0\\59\\9"
                                         << "00:00:59";
    QTest::newRow("whole minute") << qint64(60000) << 0 << 1 << 0 << 0 << "0\\1\\0\\0"
                                  << "00:01:00";
    QTest::newRow("mixed") << qint64(3725400) << 1 << 2 << 5 << 4 << "1\\2\\5\\4"
                           << "01:02:05";
    QTest::newRow("last ms of an hour") << qint64(3599999) << 0 << 59 << 59 << 9 << "0\\59\\59\\9"
                                        << "00:59:59";
    QTest::newRow("whole hour") << qint64(3600000) << 1 << 0 << 0 << 0 << "1\\0\\0\\0"
                                << "01:00:00";
    QTest::newRow("beyond a day") << qint64(90061500) << 25 << 1 << 1 << 5 << "25\\1\\1\\5"
                                  << "25:01:01";
    QTest::newRow("99 h 59 m 59.9 s") << qint64(359999999) << 99 << 59 << 59 << 9 << "99\\59\\59\\9"
                                      << "99:59:59";
    QTest::newRow("100 h keeps three digits") << qint64(360000000) << 100 << 0 << 0 << 0 << "100\\0\\0\\0"
                                              << "100:00:00";
    QTest::newRow("past the 32-bit ms range")
        << qint64(3600000) * 1000 + 61000 << 1000 << 1 << 1 << 0 << "1000\\1\\1\\0"
        << "1000:01:01";
    QTest::newRow("negative is zero") << qint64(-1500) << 0 << 0 << 0 << 0 << "0\\0\\0\\0"
                                      << "00:00:00";
}

void TestTimeText::msToParts()
{
    QFETCH(qint64, ms);
    QFETCH(int, hours);
    QFETCH(int, minutes);
    QFETCH(int, seconds);
    QFETCH(int, tenths);
    QFETCH(QString, text);
    QFETCH(QString, runText);

    const TimeParts parts = MsToParts(ms);
    QCOMPARE(parts.hours, hours);
    QCOMPARE(parts.minutes, minutes);
    QCOMPARE(parts.seconds, seconds);
    QCOMPARE(parts.tenths, tenths);
    QCOMPARE(parts.text(), text);
    QCOMPARE(parts.runTimeText(), runText);
    QCOMPARE(runTimeText(ms), runText);

    // The run time text reads back as the same parts, less the tenths.
    const std::optional<TimeParts> back = melvanta::parseRunTimeText(runText);
    QVERIFY(back);
    TimeParts whole = parts;
    whole.tenths = 0;
    QVERIFY(*back == whole);
}

void TestTimeText::timeToSeconds_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<int>("expected");

    QTest::newRow("midnight") << QTime(0, 0, 0) << 0;
    QTest::newRow("five minutes") << QTime(0, 5, 0) << 300;
    QTest::newRow("all three parts") << QTime(1, 15, 30) << 4530;
    QTest::newRow("last second of the day") << QTime(23, 59, 59) << 86399;
    QTest::newRow("milliseconds ignored") << QTime(0, 0, 1, 999) << 1;
    QTest::newRow("invalid") << QTime() << 0;
}

void TestTimeText::timeToSeconds()
{
    QFETCH(QTime, time);
    QFETCH(int, expected);
    QCOMPARE(TimeToSeconds(time), expected);
}

void TestTimeText::secondsToTime_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QTime>("expected");
    QTest::addColumn<bool>("roundTrips");

    QTest::newRow("zero") << 0 << QTime(0, 0, 0) << true;
    QTest::newRow("59 s") << 59 << QTime(0, 0, 59) << true;
    QTest::newRow("one minute") << 60 << QTime(0, 1, 0) << true;
    QTest::newRow("one hour") << 3600 << QTime(1, 0, 0) << true;
    QTest::newRow("all three parts") << 4530 << QTime(1, 15, 30) << true;
    QTest::newRow("last second of the day") << 86399 << QTime(23, 59, 59) << true;
    QTest::newRow("a full day wraps") << 86400 << QTime(0, 0, 0) << false;
    QTest::newRow("past a day wraps") << 90061 << QTime(1, 1, 1) << false;
    QTest::newRow("negative") << -5 << QTime(0, 0, 0) << false;
}

void TestTimeText::secondsToTime()
{
    QFETCH(int, seconds);
    QFETCH(QTime, expected);
    QFETCH(bool, roundTrips);

    const QTime time = SecondsToTime(seconds);
    QVERIFY(time.isValid());
    QCOMPARE(time, expected);
    QCOMPARE(time.msec(), 0);
    if (roundTrips)
        QCOMPARE(TimeToSeconds(time), seconds);
}

void TestTimeText::parseRunTimeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("parses");
    QTest::addColumn<int>("hours");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<int>("seconds");

    QTest::newRow("zero") << "00:00:00" << true << 0 << 0 << 0;
    QTest::newRow("ordinary") << "01:15:30" << true << 1 << 15 << 30;
    QTest::newRow("upper limits") << "23:59:59" << true << 23 << 59 << 59;
    QTest::newRow("more than a day") << "25:00:00" << true << 25 << 0 << 0;
    QTest::newRow("three-digit hours") << "100:00:00" << true << 100 << 0 << 0;
    QTest::newRow("single digits") << "1:2:3" << true << 1 << 2 << 3;

    QTest::newRow("empty") << "" << false << 0 << 0 << 0;
    QTest::newRow("two parts") << "05:00" << false << 0 << 0 << 0;
    QTest::newRow("four parts") << "01:02:03:04" << false << 0 << 0 << 0;
    QTest::newRow("minutes 60") << "00:60:00" << false << 0 << 0 << 0;
    QTest::newRow("seconds 60") << "00:00:60" << false << 0 << 0 << 0;
    QTest::newRow("three-digit minutes") << "00:005:00" << false << 0 << 0 << 0;
    QTest::newRow("empty part") << "00::00" << false << 0 << 0 << 0;
    QTest::newRow("letters") << "aa:bb:cc" << false << 0 << 0 << 0;
    QTest::newRow("negative hours") << "-1:00:00" << false << 0 << 0 << 0;
    QTest::newRow("leading space") << " 01:02:03" << false << 0 << 0 << 0;
    QTest::newRow("trailing tenths") << "01:02:03.4" << false << 0 << 0 << 0;
    QTest::newRow("full-width digits") << "０１:０２:０３" << false << 0 << 0 << 0;
    QTest::newRow("hours overflow") << "99999999999:00:00" << false << 0 << 0 << 0;
}

void TestTimeText::parseRunTimeText()
{
    QFETCH(QString, text);
    QFETCH(bool, parses);
    QFETCH(int, hours);
    QFETCH(int, minutes);
    QFETCH(int, seconds);

    const std::optional<TimeParts> parts = melvanta::parseRunTimeText(text);
    QCOMPARE(parts.has_value(), parses);
    if (!parses)
        return;
    QCOMPARE(parts->hours, hours);
    QCOMPARE(parts->minutes, minutes);
    QCOMPARE(parts->seconds, seconds);
    QCOMPARE(parts->tenths, 0);
}

void TestTimeText::timeFormatList_data()
{
    QTest::addColumn<TimingMode>("mode");
    QTest::addColumn<bool>("longTerm");
    QTest::addColumn<QStringList>("expected");

    const QStringList running = {"秒", "分:秒", "时:分:秒"};
    const QStringList clock = {"时:分:秒", "时:分", "时:分:秒"};
    const QStringList longTerm = {"d天 hh时mm分ss秒", "d天 hh时mm分", "d天", "d hh:mm:ss", "d hh:mm", "d mm:ss"};

    QTest::newRow("countdown") << TimingMode::Countdown << false << running;
    QTest::newRow("count-up") << TimingMode::CountUp << false << running;
    QTest::newRow("system time") << TimingMode::SystemTime << false << clock;
    QTest::newRow("long-term countdown") << TimingMode::Countdown << true << longTerm;
    QTest::newRow("long-term count-up") << TimingMode::CountUp << true << longTerm;
    QTest::newRow("long-term overrides system time") << TimingMode::SystemTime << true << longTerm;
}

void TestTimeText::timeFormatList()
{
    QFETCH(TimingMode, mode);
    QFETCH(bool, longTerm);
    QFETCH(QStringList, expected);
    QCOMPARE(melvanta::timeFormatList(mode, longTerm), expected);
}

void TestTimeText::formatClockText_data()
{
    QTest::addColumn<QString>("runText");
    QTest::addColumn<TimingMode>("mode");
    QTest::addColumn<int>("index");
    QTest::addColumn<QTime>("now");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("expected");

    const QTime now(14, 7, 9);
    const auto down = TimingMode::Countdown;
    const auto up = TimingMode::CountUp;
    const auto sys = TimingMode::SystemTime;

    QTest::newRow("seconds: five minutes") << "00:05:00" << down << 0 << now << true << "300";
    QTest::newRow("seconds: zero") << "00:00:00" << down << 0 << now << true << "0";
    QTest::newRow("seconds: with hours") << "01:15:30" << up << 0 << now << true << "4530";
    QTest::newRow("seconds: past a day") << "25:00:01" << up << 0 << now << true << "90001";
    QTest::newRow("min:sec: five minutes") << "00:05:00" << down << 1 << now << true << "05:00";
    QTest::newRow("min:sec: hours fold into minutes") << "01:15:30" << up << 1 << now << true << "75:30";
    QTest::newRow("min:sec: three-digit minutes") << "02:00:07" << down << 1 << now << true << "120:07";
    QTest::newRow("h:m:s") << "01:02:05" << down << 2 << now << true << "01:02:05";
    QTest::newRow("h:m:s: pads short parts") << "1:2:5" << up << 2 << now << true << "01:02:05";
    QTest::newRow("h:m:s: three-digit hours") << "100:00:00" << up << 2 << now << true << "100:00:00";
    QTest::newRow("index too large is seconds") << "00:05:00" << down << 3 << now << true << "300";
    QTest::newRow("negative index is seconds") << "00:05:00" << up << -1 << now << true << "300";

    QTest::newRow("countdown: empty text") << "" << down << 0 << now << false << "";
    QTest::newRow("count-up: empty text") << "" << up << 2 << now << false << "";
    QTest::newRow("count-up: garbage") << "12:xx:00" << up << 1 << now << false << "";
    QTest::newRow("countdown: seconds 60") << "00:00:60" << down << 2 << now << false << "";

    QTest::newRow("system: h:m:s ignores run") << "00:05:00" << sys << 0 << now << true << "14:07:09";
    QTest::newRow("system: h:m") << "00:05:00" << sys << 1 << now << true << "14:07";
    QTest::newRow("system: h:m while run text unparsed") << "" << sys << 1 << now << true << "14:07";
    QTest::newRow("system: second h:m:s") << "garbage" << sys << 2 << now << true << "14:07:09";
    QTest::newRow("system: index too large") << "00:05:00" << sys << 7 << now << true << "14:07:09";
    QTest::newRow("system: early morning pads") << "00:05:00" << sys << 1 << QTime(3, 4, 5) << true << "03:04";
}

void TestTimeText::formatClockText()
{
    QFETCH(QString, runText);
    QFETCH(TimingMode, mode);
    QFETCH(int, index);
    QFETCH(QTime, now);
    QFETCH(bool, shown);
    QFETCH(QString, expected);

    const std::optional<QString> text = melvanta::formatClockText(runText, mode, index, now);
    QCOMPARE(text.has_value(), shown);
    if (shown)
        QCOMPARE(*text, expected);
}

void TestTimeText::formatLongTerm_data()
{
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("hours");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("dateLine");
    QTest::addColumn<QString>("clock");

    QTest::newRow("0: h m s in words") << 3 << 4 << 5 << 6 << 0 << "3天"
                                       << "04时05分06秒";
    QTest::newRow("1: h m in words") << 3 << 4 << 5 << 6 << 1 << "3天"
                                     << "04时05分";
    QTest::newRow("2: days only") << 3 << 4 << 5 << 6 << 2 << "3天"
                                  << "";
    QTest::newRow("3: hh:mm:ss") << 3 << 4 << 5 << 6 << 3 << "3天"
                                 << "04:05:06";
    QTest::newRow("4: hh:mm") << 3 << 4 << 5 << 6 << 4 << "3天"
                              << "04:05";
    QTest::newRow("5: mm:ss") << 3 << 4 << 5 << 6 << 5 << "3天"
                              << "05:06";
    QTest::newRow("zero days") << 0 << 0 << 0 << 0 << 3 << "0天"
                               << "00:00:00";
    QTest::newRow("many days, no padding") << 1234 << 23 << 59 << 59 << 0 << "1234天"
                                           << "23时59分59秒";
    QTest::newRow("index too large") << 1 << 2 << 3 << 4 << 6 << "1天"
                                     << "02时03分04秒";
    QTest::newRow("negative index") << 1 << 2 << 3 << 4 << -1 << "1天"
                                    << "02时03分04秒";
}

void TestTimeText::formatLongTerm()
{
    QFETCH(int, days);
    QFETCH(int, hours);
    QFETCH(int, minutes);
    QFETCH(int, seconds);
    QFETCH(int, index);
    QFETCH(QString, dateLine);
    QFETCH(QString, clock);

    const LongTermText text = melvanta::formatLongTerm(days, hours, minutes, seconds, index);
    QCOMPARE(text.dateLine, dateLine);
    QCOMPARE(text.clock, clock);
}

QTEST_GUILESS_MAIN(TestTimeText)
#include "tst_timetext.moc"
