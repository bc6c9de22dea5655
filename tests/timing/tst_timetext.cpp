#include "timing/TimeText.h"

#include <QtTest>

using namespace melvanta;

Q_DECLARE_METATYPE(melvanta::TimingMode)

class TestTimeText : public QObject
{
    Q_OBJECT

private slots:
    void msToParts()
    {
        // The parts as "hours\minutes\seconds\tenths", then the run time text.
        const auto texts = [](qint64 ms) { return MsToParts(ms).text() + QLatin1Char(' ') + runTimeText(ms); };
        QCOMPARE(texts(0), QStringLiteral("0\\0\\0\\0 00:00:00"));
        QCOMPARE(texts(59999), QStringLiteral("0\\0\\59\\9 00:00:59"));
        QCOMPARE(texts(3725400), QStringLiteral("1\\2\\5\\4 01:02:05"));
        QCOMPARE(texts(360000000), QStringLiteral("100\\0\\0\\0 100:00:00")); // 100 h keeps three digits
        QCOMPARE(texts(-1500), QStringLiteral("0\\0\\0\\0 00:00:00"));
    }

    void timeToSeconds()
    {
        QCOMPARE(TimeToSeconds(QTime(23, 59, 59)), 86399);
        QCOMPARE(TimeToSeconds(QTime(0, 5, 0)), 300);
        QCOMPARE(TimeToSeconds(QTime()), 0);
    }

    // The clock is 03:04:05; "-" means nothing is shown.
    void formatClockText_data()
    {
        QTest::addColumn<QString>("runText");
        QTest::addColumn<TimingMode>("mode");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("expected");
        const auto down = TimingMode::Countdown, up = TimingMode::CountUp, system = TimingMode::SystemTime;
        QTest::newRow("seconds") << "00:05:00" << down << 0 << QStringLiteral("300");
        QTest::newRow("min:sec folds hours into minutes") << "01:15:30" << up << 1 << QStringLiteral("75:30");
        QTest::newRow("h:m:s pads short parts") << "1:2:5" << up << 2 << QStringLiteral("01:02:05");
        QTest::newRow("index past the list is seconds") << "00:05:00" << down << 3 << QStringLiteral("300");
        QTest::newRow("empty text") << "" << down << 0 << "-";
        QTest::newRow("garbage") << "12:xx:00" << up << 1 << "-";
        QTest::newRow("seconds 60") << "00:00:60" << down << 2 << "-";
        QTest::newRow("system: h:m:s ignores the run") << "garbage" << system << 0 << QStringLiteral("03:04:05");
        QTest::newRow("system: h:m") << "00:05:00" << system << 1 << QStringLiteral("03:04");
    }
    void formatClockText()
    {
        QFETCH(QString, runText);
        QFETCH(TimingMode, mode);
        QFETCH(int, index);
        QFETCH(QString, expected);
        const std::optional<QString> text = melvanta::formatClockText(runText, mode, index, QTime(3, 4, 5));
        QCOMPARE(text.value_or(QStringLiteral("-")), expected);
    }

    // 3 days 04:05:06 in each long-term format, and an index past the list.
    void formatLongTerm_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("clock");
        const QStringList clocks{"04时05分06秒", "04时05分", "", "04:05:06", "04:05", "05:06", "04时05分06秒"};
        for (int index = 0; index < clocks.size(); ++index)
            QTest::addRow("format %d", index) << index << clocks[index];
    }
    void formatLongTerm()
    {
        QFETCH(int, index);
        QFETCH(QString, clock);
        const LongTermText text = melvanta::formatLongTerm(3, 4, 5, 6, index);
        QCOMPARE(text.dateLine, QStringLiteral("3天"));
        QCOMPARE(text.clock, clock);
    }
};

QTEST_GUILESS_MAIN(TestTimeText)
#include "tst_timetext.moc"
