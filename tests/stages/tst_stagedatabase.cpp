#include "DataRows.h"
#include "TestSupport.h"
#include "stages/DatabaseSchema.h"
#include "stages/StageDatabase.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using namespace melvanta;

namespace {

// Runs statements on a connection of its own, as another program would.
bool sqlExec(const QString& path, const QStringList& statements)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("direct"));
        db.setDatabaseName(path);
        ok = db.open();
        for (const QString& statement : statements)
            ok = ok && QSqlQuery(db).exec(statement);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("direct"));
    return ok;
}

QString listed(StageDatabase& db)
{
    QStringList rows;
    for (const StageRow& row : db.list().value_or(QList<StageRow>()))
        rows << QStringLiteral("%1 %2").arg(row.id).arg(row.name);
    return rows.join(QStringLiteral(", "));
}

} // namespace

// The stored stages on a real SQLite file: names with quotes, duplicates
// that differ in case or blanks, moves and deletes that keep the IDs in
// order, and damaged tables.
class TestStageDatabase : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_sandbox = std::make_unique<TestSandbox>();
        m_path = m_sandbox->filePath(QStringLiteral("DeskData.db"));
        QVERIFY(DatabaseSchema::create(m_path));
    }
    void cleanup() { m_sandbox.reset(); }

    void namesWithQuotesRoundTrip()
    {
        StageDatabase db(m_path);
        StageSettings stage = StageSettings::defaults(QDate(2027, 3, 1));
        stage.Time_all = QTime(1, 2, 3);
        stage.textstart = QStringLiteral("开始 'quoted' \"too\"");
        stage.tixingtime = 9;
        const QStringList names{QStringLiteral("O'Brien"), QStringLiteral("张'三"), QStringLiteral("A & B; DROP")};
        for (int k = 0; k < names.size(); ++k) {
            int id = 0;
            QCOMPARE(db.add(names.at(k), QStringLiteral("text %1").arg(k), stage, &id), StageDatabase::Added::Added);
            QCOMPARE(id, k + 1);
        }
        QCOMPARE(listed(db), QStringLiteral("1 O'Brien, 2 张'三, 3 A & B; DROP"));
        StoredStage loaded;
        QCOMPARE(db.load(2, loaded), StageDatabase::Loaded::Loaded);
        QVERIFY(loaded.settings == stage);
        QCOMPARE(loaded.movetext, QStringLiteral("text 1"));
        QCOMPARE(db.load(7, loaded), StageDatabase::Loaded::NotFound);
    }

    void duplicateNames_data()
    {
        QTest::addColumn<QString>("second");
        addTestRow("same", QStringLiteral("Speech"));
        addTestRow("other case", QStringLiteral("sPEECH"));
        addTestRow("trailing blanks", QStringLiteral("Speech   "));
        addTestRow("leading blank", QStringLiteral(" Speech"));
    }
    void duplicateNames()
    {
        QFETCH(QString, second);
        StageDatabase db(m_path);
        QCOMPARE(db.add(QStringLiteral("Speech "), QString(), StageSettings::defaults()), StageDatabase::Added::Added);
        QCOMPARE(db.nameExists(second), std::optional<bool>(true));
        QCOMPARE(db.add(second, QString(), StageSettings::defaults()), StageDatabase::Added::NameTaken);
        QCOMPARE(listed(db), QStringLiteral("1 Speech"));
        QCOMPARE(db.nameExists(QStringLiteral("Speech 2")), std::optional<bool>(false));
    }

    // Deleting rows 2 and 3 of five, then moving, keeps IDs 1 … n in list order.
    void deleteAndMoveKeepIdsInOrder()
    {
        StageDatabase db(m_path);
        for (const char* name : {"a", "b", "c", "d", "e"})
            QCOMPARE(db.add(QString::fromLatin1(name), QString(), StageSettings::defaults()),
                     StageDatabase::Added::Added);
        QVERIFY(db.remove({2, 3}));
        QCOMPARE(listed(db), QStringLiteral("1 a, 2 d, 3 e"));
        QVERIFY(db.reorder({1, 3, 2}));
        QCOMPARE(listed(db), QStringLiteral("1 a, 2 e, 3 d"));
        int id = 0;
        QCOMPARE(db.add(QStringLiteral("f"), QString(), StageSettings::defaults(), &id), StageDatabase::Added::Added);
        QCOMPARE(id, 4);
        // An order that is not every stage once is refused.
        QVERIFY(!db.reorder({1, 2}));
        QVERIFY(!db.reorder({1, 1, 2, 3}));
        QCOMPARE(listed(db), QStringLiteral("1 a, 2 e, 3 d, 4 f"));
    }

    // A rewrite that fails half-way (a trigger refuses the second row, as a
    // killed program would leave it) changes nothing.
    void interruptedRewriteLeavesTheOldOrder()
    {
        StageDatabase db(m_path);
        for (const char* name : {"a", "b", "c"})
            db.add(QString::fromLatin1(name), QString(), StageSettings::defaults());
        QVERIFY(sqlExec(m_path, {QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON deskclock WHEN NEW.ID = -2 "
                                                "BEGIN SELECT RAISE(ABORT, 'refused'); END")}));
        QVERIFY(!db.reorder({3, 2, 1}));
        QVERIFY(!db.remove({1}));
        QCOMPARE(listed(db), QStringLiteral("1 a, 2 b, 3 c"));
    }

    // IDs a hand-edited file left with gaps or twice are put right in order.
    void damagedIdsAreRepairedInOrder()
    {
        QVERIFY(sqlExec(m_path, {QStringLiteral("INSERT INTO deskclock (ID, clockname) VALUES (5, 'x'), (2, 'y'), "
                                                "(5, 'z'), (NULL, 'w')")}));
        StageDatabase db(m_path);
        QCOMPARE(listed(db), QStringLiteral("1 w, 2 y, 3 x, 4 z"));
        QCOMPARE(listed(db), QStringLiteral("1 w, 2 y, 3 x, 4 z"));
    }

    void damagedOrMissingTables()
    {
        // NULL values read as their defaults.
        QVERIFY(sqlExec(m_path, {QStringLiteral("INSERT INTO deskclock (ID, clockname, Time_all, tixingtime) "
                                                "VALUES (1, 'n', NULL, 'garbage')")}));
        StageDatabase db(m_path);
        StoredStage loaded;
        QCOMPARE(db.load(1, loaded), StageDatabase::Loaded::Loaded);
        QCOMPARE(loaded.settings.Time_all, StageSettings::defaults().Time_all);
        QCOMPARE(loaded.settings.tixingtime, StageSettings::defaults().tixingtime);

        // A table of too few columns is incomplete; a missing file lists nothing.
        const QString thin = m_sandbox->filePath(QStringLiteral("thin.db"));
        QVERIFY(sqlExec(thin, {QStringLiteral("CREATE TABLE deskclock (ID INTEGER, clockname TEXT, movetext TEXT)"),
                               QStringLiteral("INSERT INTO deskclock VALUES (1, 'k', '')")}));
        StageDatabase thinDb(thin);
        QCOMPARE(thinDb.load(1, loaded), StageDatabase::Loaded::Incomplete);
        QCOMPARE(listed(thinDb), QStringLiteral("1 k"));
        StageDatabase missing(m_sandbox->filePath(QStringLiteral("none.db")));
        QVERIFY(!missing.list());
        QCOMPARE(missing.add(QStringLiteral("a"), QString(), StageSettings::defaults()), StageDatabase::Added::Failed);
        QVERIFY(!QFile::exists(m_sandbox->filePath(QStringLiteral("none.db"))));
        m_sandbox->writeFile(QStringLiteral("junk.db"), QByteArray(4096, 'j'));
        StageDatabase junk(m_sandbox->filePath(QStringLiteral("junk.db")));
        QVERIFY(!junk.list());
        QVERIFY(!junk.lastError().isEmpty());
    }

    void exportRowsLeaveNoDueDateEmpty()
    {
        StageDatabase db(m_path);
        StageSettings stage = StageSettings::defaults();
        stage.Time_all = QTime(0, 5, 0);
        stage.time_date = QDate(2000, 1, 1);
        db.add(QStringLiteral("短"), QStringLiteral("t"), stage);
        stage.time_date = QDate(2027, 6, 30);
        db.add(QStringLiteral("长"), QString(), stage);
        const QList<QStringList> rows = db.exportRows().value_or(QList<QStringList>());
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.at(0), (QStringList{"1", "短", "t", "00:05:00", ""}));
        QCOMPARE(rows.at(1), (QStringList{"2", "长", "", "00:05:00", "2027-06-30"}));
    }

    void nameWidth_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("width");
        addTestRow("15 ASCII letters", QStringLiteral("abcdefghijklmNO"), 7.5);
        addTestRow("15 Chinese", QStringLiteral("一二三四五六七八九十一二三四五"), 15.0);
        addTestRow("digits, stop, blank", QStringLiteral("v1.2 x"), 3.5);
        addTestRow("full-width letter", QStringLiteral("Ａ"), 1.0);
    }
    void nameWidth()
    {
        QFETCH(QString, name);
        QFETCH(double, width);
        QCOMPARE(StageNameWidth(name), width);
    }

private:
    std::unique_ptr<TestSandbox> m_sandbox;
    QString m_path;
};

QTEST_GUILESS_MAIN(TestStageDatabase)
#include "tst_stagedatabase.moc"
