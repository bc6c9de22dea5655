#include "stages/DatabaseSchema.h"

#include "core/StageSettings.h"

#include "TestSupport.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <QtTest>

#include <functional>

using namespace melvanta;

namespace {

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

// Runs `body` on a connection of its own to the database at `path`, and
// removes the connection afterwards.
void withDatabase(const QString& path, const std::function<void(QSqlDatabase&)>& body)
{
    const QString name = QStringLiteral("test-") + QUuid::createUuid().toString(QUuid::Id128);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        body(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// Column names in their physical order.
QStringList columnsOf(QSqlDatabase& db, const QString& table)
{
    QStringList names;
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table)))
        return names;
    while (query.next())
        names << query.value(1).toString();
    return names;
}

bool insertStage(QSqlDatabase& db, int id, const QString& name)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("INSERT INTO deskclock (ID, clockname, movetext) VALUES (?, ?, ?)"));
    query.addBindValue(id);
    query.addBindValue(name);
    query.addBindValue(QStringLiteral("动态文本"));
    return query.exec();
}

qint64 insertRecord(QSqlDatabase& db, const QString& filename)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("INSERT INTO timesum (set_time, use_time, out_time, pause_time, filename) "
                                 "VALUES ('00:05:00', '00:03:20', '00:00:00', '00:00:10', ?)"));
    query.addBindValue(filename);
    if (!query.exec())
        return -1;
    QSqlQuery key(db);
    if (!key.exec(QStringLiteral("SELECT ID_auto FROM timesum WHERE filename = '%1'").arg(filename)) || !key.next())
        return -1;
    return key.value(0).toLongLong();
}

} // namespace

class TestDatabaseSchema : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void columnLists();
    void createsBothTables();
    void stageRowHasEveryField();
    void stageNamesAreUnique();
    void recordKeyCountsUp();
    void existingDatabaseKeepsItsRows();
    void unusablePath_data();
    void unusablePath();
    void fileThatIsNoDatabase();

private:
    std::unique_ptr<TestSandbox> m_sandbox;
    QString m_path;
};

void TestDatabaseSchema::init()
{
    m_sandbox = std::make_unique<TestSandbox>();
    m_path = m_sandbox->filePath(QStringLiteral("DeskData.db"));
}

void TestDatabaseSchema::cleanup()
{
    // create() never leaves a connection behind.
    QCOMPARE(QSqlDatabase::connectionNames(), QStringList());
    m_sandbox.reset();
}

void TestDatabaseSchema::columnLists()
{
    const QStringList desk = DatabaseSchema::deskclockColumns();
    QCOMPARE(desk.size(), 54);
    QCOMPARE(desk.mid(0, 3), (QStringList{"ID", "clockname", "movetext"}));
    for (int i = 0; i < kStageFieldCount; ++i)
        QCOMPARE(desk.at(3 + i), QString::fromLatin1(stageFields()[i].name));
    QCOMPARE(DatabaseSchema::timesumColumns(),
             (QStringList{"ID", "set_time", "use_time", "out_time", "pause_time", "filename", "ID_auto"}));
}

void TestDatabaseSchema::createsBothTables()
{
    QString error;
    QVERIFY2(DatabaseSchema::create(m_path, &error), qPrintable(error));
    QVERIFY(QFile::exists(m_path));

    withDatabase(m_path, [](QSqlDatabase& db) {
        QStringList tables = db.tables();
        tables.removeAll(QStringLiteral("sqlite_sequence"));
        tables.sort();
        QCOMPARE(tables, (QStringList{"deskclock", "timesum"}));
        QCOMPARE(columnsOf(db, QStringLiteral("deskclock")), DatabaseSchema::deskclockColumns());
        QCOMPARE(columnsOf(db, QStringLiteral("timesum")), DatabaseSchema::timesumColumns());

        // SELECT * hands the columns out in this order too.
        QSqlQuery all(db);
        QVERIFY(all.exec(QStringLiteral("SELECT * FROM deskclock")));
        QCOMPARE(all.record().count(), 54);
        QCOMPARE(all.record().fieldName(3), QStringLiteral("Time_all"));
        QCOMPARE(all.record().fieldName(53), QStringLiteral("highsetend"));
    });
}

void TestDatabaseSchema::stageRowHasEveryField()
{
    QVERIFY(DatabaseSchema::create(m_path));
    const StageSettings stage = StageSettings::defaults(QDate(2024, 3, 15));

    withDatabase(m_path, [&stage](QSqlDatabase& db) {
        const QStringList columns = DatabaseSchema::deskclockColumns();
        QStringList marks;
        for (int i = 0; i < columns.size(); ++i)
            marks << QStringLiteral("?");
        QSqlQuery insert(db);
        QVERIFY(insert.prepare(QStringLiteral("INSERT INTO deskclock (%1) VALUES (%2)")
                                   .arg(columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")))));
        insert.addBindValue(1);
        insert.addBindValue(QStringLiteral("述职"));
        insert.addBindValue(QString());
        for (const StageField& field : stageFields())
            insert.addBindValue(fieldText(stage, field));
        QVERIFY2(insert.exec(), qPrintable(insert.lastError().text()));

        QSqlQuery read(db);
        QVERIFY(read.exec(QStringLiteral("SELECT * FROM deskclock")));
        QVERIFY(read.next());
        QCOMPARE(read.value(1).toString(), QStringLiteral("述职"));
        for (int i = 0; i < kStageFieldCount; ++i)
            QCOMPARE(read.value(3 + i).toString(), fieldText(stage, stageFields()[i]));
        QCOMPARE(read.value(46).toInt(), 5); // tixingtime
    });
}

void TestDatabaseSchema::stageNamesAreUnique()
{
    QVERIFY(DatabaseSchema::create(m_path));
    withDatabase(m_path, [](QSqlDatabase& db) {
        QVERIFY(insertStage(db, 1, QStringLiteral("开场")));
        QVERIFY(!insertStage(db, 2, QStringLiteral("开场")));
        QVERIFY(insertStage(db, 2, QStringLiteral("O'Brien")));
        QVERIFY(!insertStage(db, 3, QStringLiteral("O'Brien")));
        QVERIFY(insertStage(db, 3, QStringLiteral("Robert'); DROP TABLE deskclock;--")));

        QSqlQuery find(db);
        find.prepare(QStringLiteral("SELECT ID FROM deskclock WHERE clockname = ?"));
        find.addBindValue(QStringLiteral("O'Brien"));
        QVERIFY(find.exec());
        QVERIFY(find.next());
        QCOMPARE(find.value(0).toInt(), 2);

        QSqlQuery count(db);
        QVERIFY(count.exec(QStringLiteral("SELECT COUNT(*) FROM deskclock")));
        QVERIFY(count.next());
        QCOMPARE(count.value(0).toInt(), 3);
    });
}

void TestDatabaseSchema::recordKeyCountsUp()
{
    QVERIFY(DatabaseSchema::create(m_path));
    withDatabase(m_path, [](QSqlDatabase& db) {
        const qint64 first = insertRecord(db, QStringLiteral("a"));
        const qint64 second = insertRecord(db, QStringLiteral("b"));
        const qint64 third = insertRecord(db, QStringLiteral("c"));
        QVERIFY(first > 0);
        QCOMPARE(second, first + 1);
        QCOMPARE(third, second + 1);

        // A deleted key is never handed out again, so the records window
        // cannot delete a newer record by an old key.
        QSqlQuery remove(db);
        QVERIFY(remove.exec(QStringLiteral("DELETE FROM timesum WHERE ID_auto = %1").arg(third)));
        QCOMPARE(insertRecord(db, QStringLiteral("d")), third + 1);

        // Read by position as the records window does: 1 set_time ... 6 ID_auto.
        QSqlQuery all(db);
        QVERIFY(all.exec(QStringLiteral("SELECT * FROM timesum ORDER BY ID_auto ASC")));
        QVERIFY(all.next());
        QVERIFY(all.value(0).isNull());
        QCOMPARE(all.value(1).toString(), QStringLiteral("00:05:00"));
        QCOMPARE(all.value(4).toString(), QStringLiteral("00:00:10"));
        QCOMPARE(all.value(5).toString(), QStringLiteral("a"));
        QCOMPARE(all.value(6).toLongLong(), first);
    });
}

void TestDatabaseSchema::existingDatabaseKeepsItsRows()
{
    QVERIFY(DatabaseSchema::create(m_path));
    withDatabase(m_path, [](QSqlDatabase& db) {
        QVERIFY(insertStage(db, 1, QStringLiteral("保留")));
        QVERIFY(insertRecord(db, QStringLiteral("kept")) > 0);
    });

    QString error;
    QVERIFY2(DatabaseSchema::create(m_path, &error), qPrintable(error));
    QVERIFY(DatabaseSchema::create(m_path));

    withDatabase(m_path, [](QSqlDatabase& db) {
        QSqlQuery stages(db);
        QVERIFY(stages.exec(QStringLiteral("SELECT clockname FROM deskclock")));
        QVERIFY(stages.next());
        QCOMPARE(stages.value(0).toString(), QStringLiteral("保留"));
        QVERIFY(!stages.next());
        QSqlQuery records(db);
        QVERIFY(records.exec(QStringLiteral("SELECT COUNT(*) FROM timesum")));
        QVERIFY(records.next());
        QCOMPARE(records.value(0).toInt(), 1);
    });
}

void TestDatabaseSchema::unusablePath_data()
{
    QTest::addColumn<QString>("relative");

    QTest::newRow("missing folder") << "no/such/folder/DeskData.db";
    QTest::newRow("folder inside a file") << "plain.txt/DeskData.db";
    QTest::newRow("path is a folder") << "";
}

void TestDatabaseSchema::unusablePath()
{
    QFETCH(QString, relative);

    m_sandbox->writeFile(QStringLiteral("plain.txt"), "text");
    const QString path = m_sandbox->programFolder() + relative;
    QString error;
    QVERIFY(!DatabaseSchema::create(path, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!DatabaseSchema::create(path)); // no error text wanted
    QCOMPARE(readBytes(m_sandbox->filePath(QStringLiteral("plain.txt"))), QByteArray("text"));
}

void TestDatabaseSchema::fileThatIsNoDatabase()
{
    QByteArray junk(4096, '\0');
    for (int i = 0; i < junk.size(); ++i)
        junk[i] = static_cast<char>((i * 37 + 11) % 256);
    m_sandbox->writeFile(QStringLiteral("DeskData.db"), junk);

    QString error;
    QVERIFY(!DatabaseSchema::create(m_path, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readBytes(m_path), junk);
}

QTEST_GUILESS_MAIN(TestDatabaseSchema)
#include "tst_databaseschema.moc"
