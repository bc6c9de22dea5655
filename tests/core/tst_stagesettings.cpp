#include "core/StageSettings.h"

#include <QtTest>

using namespace melvanta;

static const QDate kToday(2024, 3, 15);

static void addRow(const char* name, const char* field, const char* text, const char* stored)
{
    QTest::newRow(name) << QString::fromLatin1(field) << QString::fromUtf8(text) << QString::fromUtf8(stored);
}

class TestStageSettings : public QObject
{
    Q_OBJECT

private slots:
    // Every field takes a value of its own through its stored text and gives
    // that text back; no two fields share a member, and equality sees each.
    void everyFieldRoundTrips()
    {
        const StageSettings defaults = StageSettings::defaults(kToday);
        QCOMPARE(defaults.checkone, QStringLiteral("1111110"));
        QCOMPARE(defaults.checktwo, QString(21, QLatin1Char('1')));
        QCOMPARE(defaults.time_date, kToday);
        StageSettings s = defaults;
        QStringList texts;
        for (const StageField& field : stageFields()) {
            const QString byKind[] = {QTime(texts.size(), 2, 3).toString(Qt::ISODate), "2031-07-09", field.name, "-7"};
            texts << byKind[int(field.kind())];
            StageSettings one = defaults;
            QVERIFY2(setFieldFromText(one, field, texts.last()) && one != defaults, field.name);
            QVERIFY(setFieldFromText(s, field, texts.last()));
        }
        for (int i = 0; i < kStageFieldCount; ++i)
            QCOMPARE(fieldText(s, stageFields()[i]), texts[i]);
        for (int p = 0; p < kAlertPhaseCount; ++p) {
            const auto phase = static_cast<AlertPhase>(p);
            QCOMPARE(s.phaseText(phase) + s.phaseSound(phase) + s.phaseLook(phase),
                     QStringLiteral("text%1music%1highset%1").arg(kAlertPhases[p].suffix));
        }
    }

    void readsStoredText_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored"); // null: refused, the field keeps its default
        const char* refused = nullptr;
        addRow("time with zero date", "Time_all", "1899/12/30 0:05:00", "00:05:00");
        addRow("time with ISO date", "Time_all", "2024-01-05 23:59:59", "23:59:59");
        addRow("time in single digits with blanks", "Time_all", " 1:2:3 ", "01:02:03");
        addRow("time garbage", "Time_three", "abc", refused);
        addRow("time of 24 hours", "Time_three", "24:00:00", refused);
        addRow("time with trailing junk", "Time_three", "00:01:00x", refused);
        addRow("time glued to a date", "Time_three", "2024/1/500:01:00", refused);
        addRow("date in locale form", "time_date", "2025/6/7 0:00:00", "2025-06-07");
        addRow("no such day", "time_date", "2023-02-29", refused);
        addRow("day first", "time_date", "05/01/2024", refused);
        addRow("date garbage", "time_date", "soon", refused);
        addRow("reminder garbage", "tixingtime", "x", refused);
        addRow("reminder above 16 bits", "tixingtime", "70000", refused);
    }

    void readsStoredText()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, stored);
        const auto& fields = stageFields();
        const auto it = std::find_if(fields.begin(), fields.end(), [&](const auto& f) { return f.name == field; });
        QVERIFY(it != fields.end());
        StageSettings s = StageSettings::defaults(kToday);
        QCOMPARE(setFieldFromText(s, *it, text), !stored.isNull());
        QCOMPARE(fieldText(s, *it), stored.isNull() ? fieldText(StageSettings::defaults(kToday), *it) : stored);
    }
};

QTEST_GUILESS_MAIN(TestStageSettings)
#include "tst_stagesettings.moc"
