#include "DataRows.h"
#include "TestSupport.h"
#include "settings/EntryRules.h"

#include <QtTest>

using namespace melvanta;

class TestEntryRules : public QObject
{
    Q_OBJECT
private slots:
    void timeBoxes_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("message");
        addTestRow("hours 23 pass", 1, "23", "23", "");
        addTestRow("hours 24 refused", 1, "24", "0", "取值范围0-23之间");
        addTestRow("minutes 24 pass", 2, "24", "24", "");
        addTestRow("seconds 60 refused", 3, "60", "0", "取值范围0-59之间");
        addTestRow("overtime seconds 59", 13, "59", "59", "");
        addTestRow("alarm minutes 99", 4, "99", "0", "取值范围0-59之间");
        addTestRow("leading zero", 2, "07", "7", "");
        addTestRow("zeros", 1, "000", "0", "");
        addTestRow("empty left alone", 5, "", "", "");
        addTestRow("nine digits", 1, "999999999", "0", "取值范围0-23之间");
        addTestRow("not a number", 2, "1a", "0", "取值范围0-59之间");
    }
    void timeBoxes()
    {
        QFETCH(int, index);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QFETCH(QString, message);
        const BoxVerdict verdict = timeBoxRule(index, text);
        QCOMPARE(verdict.text, expected);
        QCOMPARE(verdict.message, message);
        QVERIFY(verdict.title.isEmpty());
    }

    void systemBoxes_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("leaving");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("message");
        const int alert = int(SystemBox::AlertDuration);
        addTestRow("alert 0 while typing", alert, "0", false, "0", "");
        addTestRow("alert 0 on leaving", alert, "0", true, "3", "取值范围1-30之间");
        addTestRow("alert 31 while typing", alert, "31", false, "3", "取值范围0-30秒之间");
        addTestRow("alert 31 on leaving", alert, "31", true, "3", "取值范围1-30之间");
        addTestRow("alert 30", alert, "30", true, "30", "");
        addTestRow("alert empty on leaving", alert, "", true, "3", "取值范围1-30之间");
        addTestRow("alert empty while typing", alert, "", false, "", "");
        const int width = int(SystemBox::LogoWidth);
        addTestRow("width 990", width, "990", false, "990", "");
        addTestRow("width 991", width, "991", false, "100", "取值范围1-990之间");
        addTestRow("height 0", int(SystemBox::LogoHeight), "0", true, "100", "取值范围1-990之间");
        addTestRow("height 0050", int(SystemBox::LogoHeight), "0050", true, "50", "");
        const int delay = int(SystemBox::Delay);
        addTestRow("delay 31", delay, "31", false, "1", "取值范围1-30之间");
        addTestRow("delay 0", delay, "0", true, "1", "取值范围1-30之间");
        addTestRow("delay 2", delay, "2", true, "2", "");
    }
    void systemBoxes()
    {
        QFETCH(int, box);
        QFETCH(QString, text);
        QFETCH(bool, leaving);
        QFETCH(QString, expected);
        QFETCH(QString, message);
        const BoxVerdict verdict = systemBoxRule(SystemBox(box), text, leaving);
        QCOMPARE(verdict.text, expected);
        QCOMPARE(verdict.message, message);
    }

    void dateBoxes_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("leaving");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("message");
        addTestRow("year typed 2", "year", "2", false, "2", "");
        addTestRow("year typed 3000", "year", "3000", false, "2026", "取值范围2000-2999之间");
        addTestRow("year left 1999", "year", "1999", true, "2026", "年份取值范围2000-2999之间");
        addTestRow("year left 2999", "year", "2999", true, "2999", "");
        addTestRow("year left 02028", "year", "02028", true, "2028", "");
        addTestRow("month 13", "month", "13", false, "12", "");
        addTestRow("month 0", "month", "0", false, "1", "");
        addTestRow("month 07", "month", "07", false, "7", "");
        addTestRow("month empty left", "month", "", true, "1", "");
        addTestRow("day 31 Feb 2028", "day 2028-2", "31", false, "29", "");
        addTestRow("day 30 Feb 2027", "day 2027-2", "30", false, "28", "");
        addTestRow("day 0", "day 2028-2", "0", true, "1", "");
        addTestRow("day 31 Dec", "day 2026-12", "31", false, "31", "");
        addTestRow("day 31 Apr", "day 2026-4", "31", false, "30", "");
    }
    void dateBoxes()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(bool, leaving);
        QFETCH(QString, expected);
        QFETCH(QString, message);
        BoxVerdict verdict;
        if (box == QLatin1String("year")) {
            verdict = yearRule(text, leaving, 2026, QStringLiteral("melvanta"));
            if (!message.isEmpty())
                QCOMPARE(verdict.title, QStringLiteral("melvanta"));
        } else if (box == QLatin1String("month")) {
            verdict = monthRule(text, leaving);
        } else {
            // "day YYYY-M": the year and month boxes beside the day box.
            const QString yearMonth = box.section(QLatin1Char(' '), 1);
            verdict = dayRule(text, leaving, yearMonth.section(QLatin1Char('-'), 0, 0),
                              yearMonth.section(QLatin1Char('-'), 1, 1));
        }
        QCOMPARE(verdict.text, expected);
        QCOMPARE(verdict.message, message);
    }

    void dayWhileTheYearIsTyped()
    {
        // The year box holds a part of a year: the day is kept within 31.
        QCOMPARE(dayRule(QStringLiteral("31"), false, QStringLiteral("0"), QStringLiteral("2")).text,
                 QStringLiteral("31"));
        QCOMPARE(dayRule(QStringLiteral("31"), false, QStringLiteral("20"), QStringLiteral("2")).text,
                 QStringLiteral("29")); // the year 20 was a leap year
    }

    void lastDays_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QDate>("expected");
        addTestRow("now February leap", QDate(2028, 2, 10), "now", QDate(2028, 2, 29));
        addTestRow("now December", QDate(2026, 12, 7), "now", QDate(2026, 12, 31));
        addTestRow("before January", QDate(2027, 1, 15), "before", QDate(2026, 12, 31));
        addTestRow("before March", QDate(2100, 3, 1), "before", QDate(2100, 2, 28));
        addTestRow("other mode", QDate(2026, 5, 5), "later", QDate(1899, 12, 30));
    }
    void lastDays()
    {
        QFETCH(QDate, date);
        QFETCH(QString, mode);
        QFETCH(QDate, expected);
        QCOMPARE(monthlastday(date, mode), expected);
    }

    void pastedText_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<int>("room");
        QTest::addColumn<QString>("expected");
        addTestRow("12a", "12a", 9, "12");
        addTestRow("spaces and sign", " -4 5 ", 9, "45");
        addTestRow("full width digits dropped", "１２3", 9, "3");
        addTestRow("5000 digits", QString(5000, QLatin1Char('7')), 9, "777777777");
        addTestRow("no room", "12", 0, "");
    }
    void pastedText()
    {
        QFETCH(QString, pasted);
        QFETCH(int, room);
        QFETCH(QString, expected);
        QCOMPARE(digitsOnly(pasted, room), expected);
    }
};

QTEST_GUILESS_MAIN(TestEntryRules)
#include "tst_entryrules.moc"
