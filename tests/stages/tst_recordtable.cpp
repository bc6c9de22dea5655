#include "DataRows.h"
#include "TestSupport.h"
#include "stages/DatabaseSchema.h"
#include "stages/RecordTable.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using namespace melvanta;

// The records as the records window reads, shows and exports them.
class TestRecordTable : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void timeText_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("hourDigits");
        QTest::addColumn<QString>("shown");
        addTestRow("set time", QStringLiteral("00:05:00"), 2, QStringLiteral("00:05:00"));
        addTestRow("overtime", QStringLiteral("00:00:03"), 1, QStringLiteral("0:00:03"));
        addTestRow("a day and more", QStringLiteral("25:00:00"), 2, QStringLiteral("25:00:00"));
        addTestRow("short form", QStringLiteral("1:2:3"), 2, QStringLiteral("01:02:03"));
        addTestRow("older date form", QStringLiteral("1899/12/30 0:04:05"), 1, QStringLiteral("0:04:05"));
        addTestRow("minutes beyond 59", QStringLiteral("00:61:00"), 2, QStringLiteral("00:61:00"));
        addTestRow("garbage", QStringLiteral("x'; --"), 2, QStringLiteral("x'; --"));
    }
    void timeText()
    {
        QFETCH(QString, stored);
        QFETCH(int, hourDigits);
        QFETCH(QString, shown);
        QCOMPARE(recordTimeText(stored, hourDigits), shown);
    }

    void columnGap_data()
    {
        QTest::addColumn<int>("listWidth");
        QTest::addColumn<int>("gap");
        // The sample row is 46 characters, 10 pixels each.
        addTestRow("sample fills the list", 460, 1);
        addTestRow("one widening", 470, 2);
        addTestRow("never fills", 100000, 50);
    }
    void columnGap()
    {
        QFETCH(int, listWidth);
        QFETCH(int, gap);
        QCOMPARE(melvanta::columnGap([](const QString& text) { return int(text.size()) * 10; }, listWidth), gap);
    }

    void rowAfterDelete_data()
    {
        QTest::addColumn<int>("lastSelected");
        QTest::addColumn<int>("deleted");
        QTest::addColumn<int>("remaining");
        QTest::addColumn<int>("row");
        addTestRow("rows 4-6 of ten", 6, 3, 7, 3);
        addTestRow("the first rows", 1, 2, 3, 0);
        addTestRow("the only row", 0, 1, 0, -1);
        addTestRow("rows 1 and 5 of six", 5, 2, 4, 3);
    }
    void rowAfterDelete()
    {
        QFETCH(int, lastSelected);
        QFETCH(int, deleted);
        QFETCH(int, remaining);
        QFETCH(int, row);
        QCOMPARE(melvanta::rowAfterDelete(lastSelected, deleted, remaining), row);
    }

    // Garbage rows read as they stand; a delete removes exactly its rows.
    void readAndDeleteOnARealFile()
    {
        TestSandbox sandbox;
        const QString path = sandbox.filePath(QStringLiteral("DeskData.db"));
        QVERIFY(DatabaseSchema::create(path));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(
                QStringLiteral("INSERT INTO timesum (set_time, use_time, out_time, pause_time, filename) VALUES "
                               "('00:05:00', '00:05:03', '00:00:03', '00:00:00', '开场'), (NULL, 'junk', 7, '', NULL), "
                               "('25:00:00', '25:00:00', '00:00:00', '01:02:03', 'O''Brien')")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("fill"));
        RecordTable table(path);
        QList<RecordRow> rows = table.read().value_or(QList<RecordRow>());
        QCOMPARE(rows.size(), 3);
        QCOMPARE(recordFields(rows.at(1), 2), (QStringList{"002", "", "junk", "7", "", ""}));
        const ExportTable exported = recordsExportTable(rows);
        QCOMPARE(exported.rows.at(2), (QStringList{"3", "25:00:00", "25:00:00", "0:00:00", "1:02:03", "O'Brien"}));
        QVERIFY(table.remove({rows.at(0).idAuto, rows.at(2).idAuto}));
        rows = table.read().value_or(QList<RecordRow>());
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.at(0).useTime, QStringLiteral("junk"));
        QVERIFY(!RecordTable(sandbox.filePath(QStringLiteral("none.db"))).read());
    }
};

QTEST_GUILESS_MAIN(TestRecordTable)
#include "tst_recordtable.moc"
