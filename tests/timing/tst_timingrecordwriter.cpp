#include "timing/TimingRecordWriter.h"

#include "storage/RegistryStore.h"
#include "timing/PendingRecords.h"
#include "timing/RecordDatabase.h"
#include "timing/TimingRecord.h"

#include "TestSupport.h"
#include "Unwritable.h"

#include <QtSql>
#include <QtTest>

#include <optional>

using namespace melvanta;

using Totals = QList<qint64>; // used, overtime, pauses
const QDateTime kNow(QDate(2024, 3, 5), QTime(9, 7, 3));
const QString kTimeRecord = QString::fromLatin1(RegistryValue::Time_Record);
const char kChildArgument[] = "--accept-one-record";
const QString kColumns = QStringLiteral("set_time, use_time, out_time, pause_time, filename");

namespace {

RunState runOf(const QString& label, qint64 usedMs, qint64 overMs = 0, qint64 pauseMs = 0)
{
    RunState state;
    state.setDuration = QStringLiteral("00:05:00");
    state.stageLabel = label;
    state.accumulatedMs = {0, usedMs, overMs, pauseMs};
    return state;
}

// A connection of its own to the database, as another program has one (with
// the driver's busy timeout of 5 s).
struct Connection
{
    const QString name = QUuid::createUuid().toString();
    explicit Connection(const QString& path) { QSqlDatabase::addDatabase("QSQLITE", name).setDatabaseName(path); }
    ~Connection() { QSqlDatabase::removeDatabase(name); } // closing ends a transaction
    // The first column of each row of `sql`; "failed" when it failed.
    QStringList rows(const QString& sql) const
    {
        QSqlQuery q(QSqlDatabase::database(name)); // opens it
        QStringList rows{"failed"};
        if (q.exec(sql))
            rows.clear();
        while (q.next())
            rows << q.value(0).toString();
        return rows;
    }
};

} // namespace

class TestTimingRecordWriter : public QObject
{
    Q_OBJECT

    TestSandbox m_sandbox;
    RegistryStore m_registry;
    const QString m_path = m_sandbox.filePath(QStringLiteral("DeskData.db"));
    const QString m_pendingPath = TimingRecordWriter::pendingFilePath(m_path);
    std::unique_ptr<TimingRecordWriter> m_writer;

    QStringList query(const QString& sql) const { return Connection(m_path).rows(sql); }
    QStringList labels() const { return query("SELECT filename FROM timesum ORDER BY ID_auto"); }
    QStringList rows() const { return query("SELECT printf('%s %s %s %s %s', " + kColumns + ") FROM timesum"); }
    bool write(const QString& label)
    {
        RunState run = runOf(label, 1000);
        return m_writer->WriteTimingRecord(run, kNow);
    }
    QStringList leftBeside() const
    {
        return QDir(m_sandbox.programFolder()).entryList({"DeskData.db?*"}, QDir::Files, QDir::Name);
    }

private Q_SLOTS:
    void init()
    {
        for (const QString& name : leftBeside())
            QFile::remove(m_sandbox.filePath(name));
        m_sandbox.installDataFiles(); // a fresh database without records
        QVERIFY(m_registry.setNumber(kTimeRecord, 1));
        m_writer = std::make_unique<TimingRecordWriter>(m_registry, m_path);
    }
    void cleanup() { m_writer.reset(); }

    // The row of one run: totals in whole seconds, a half to the even one,
    // a day or more in real hours; an empty label becomes the time of the record
    // and stays in the run for its later records. Recording off stores nothing.
    void recordOfARun_data()
    {
        QTest::addColumn<int>("timeRecord"); // -1: the value is missing
        QTest::addColumn<QString>("label");
        QTest::addColumn<Totals>("totals");
        QTest::addColumn<QString>("row"); // empty: none
        const QString odd = QStringLiteral("开场 O'Brien \"x\"); DROP TABLE timesum; --\n二");
        QTest::newRow("3:20") << 1 << odd << Totals{200000, 0, 10000} << "00:03:20 00:00:00 00:00:10 " + odd;
        QTest::newRow("halves to even") << 1 << "a" << Totals{500, 1500, 2500} << "00:00:00 00:00:02 00:00:02 a";
        QTest::newRow("about a half") << 1 << "a" << Totals{1499, 1501, 3500} << "00:00:01 00:00:02 00:00:04 a";
        QTest::newRow("< 0, > day") << 7 << "a" << Totals{-1500, 90061000, 86399500} << "00:00:00 25:01:01 24:00:00 a";
        QTest::newRow("no label") << 1 << "" << Totals{0, 0, 0} << "00:00:00 00:00:00 00:00:00 2024-03-05 09:07:03";
        QTest::newRow("Time_Record 0") << 0 << "" << Totals{1000, 0, 0} << "";
        QTest::newRow("Time_Record missing") << -1 << "" << Totals{1000, 0, 0} << "";
    }
    void recordOfARun()
    {
        QFETCH(int, timeRecord);
        QFETCH(QString, label);
        QFETCH(Totals, totals);
        QFETCH(QString, row);
        QVERIFY(timeRecord < 0 ? m_registry.remove(kTimeRecord) : m_registry.setNumber(kTimeRecord, timeRecord));
        RunState state = runOf(label, totals[0], totals[1], totals[2]);
        QCOMPARE(m_writer->WriteTimingRecord(state, kNow), !row.isEmpty());
        QCOMPARE(state.stageLabel, row.section(' ', 3));
        QVERIFY(m_writer->waitUntilStored(5000));
        QCOMPARE(rows(), row.isEmpty() ? QStringList() : QStringList{"00:05:00 " + row});
    }

    // Another program holds the database for 3 s while three runs end: each
    // call returns at once, the operator is told once, and the records arrive
    // in order, once each, when the lock goes, without another call. A later
    // lock is a new failure and is told again.
    void lockedDatabaseDelaysRecords()
    {
        QSignalSpy deferred(m_writer.get(), &TimingRecordWriter::recordDeferred);
        std::optional<Connection> lock(std::in_place, m_path);
        QCOMPARE(lock->rows("BEGIN EXCLUSIVE"), QStringList());
        const QDeadlineTimer release(3000);
        for (const char* label : {"一", "二", "三"})
            QVERIFY(write(label));
        QVERIFY2(release.remainingTime() > 2850, "accepting three records took over 150 ms");
        QCOMPARE(PendingRecords(m_pendingPath).count(), 3); // as the next start would read them
        QTRY_COMPARE(deferred.count(), 1);
        QTest::qWait(int(release.remainingTime()));
        QCOMPARE(deferred.count(), 1); // the retries while locked told nobody again
        lock.reset();
        QTRY_COMPARE_WITH_TIMEOUT(labels(), (QStringList{"一", "二", "三"}), 5000);
        QTRY_VERIFY(!QFile::exists(m_pendingPath));

        lock.emplace(m_path);
        QCOMPARE(lock->rows("BEGIN EXCLUSIVE"), QStringList());
        QVERIFY(write("四"));
        QTRY_COMPARE(deferred.count(), 2);
        lock.reset();
        QVERIFY(m_writer->waitUntilStored(5000));
        QCOMPARE(labels(), (QStringList{"一", "二", "三", "四"}));
    }

    // A database that is missing, empty or without `timesum` gets its tables;
    // one that is no database is kept aside under a time-stamped name and
    // replaced. The record is stored either way, without a deferral.
    void unusableDatabaseIsMadeUsable_data()
    {
        QTest::addColumn<QByteArray>("contents"); // null: no file
        QTest::addColumn<QString>("sql");         // run on it first
        QTest::addColumn<bool>("setAside");
        QTest::newRow("missing") << QByteArray() << QString() << false;
        QTest::newRow("0 bytes") << QByteArray("") << QString() << false;
        QTest::newRow("no timesum") << QByteArray() << "CREATE TABLE notes AS SELECT 'kept' AS a" << false;
        QTest::newRow("4 KB of junk") << QByteArray(4096, '\x5a') << QString() << true;
    }
    void unusableDatabaseIsMadeUsable()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, sql);
        QFETCH(bool, setAside);
        QVERIFY(QFile::remove(m_path));
        if (!contents.isNull())
            m_sandbox.writeFile("DeskData.db", contents);
        if (!sql.isEmpty())
            QCOMPARE(query(sql), QStringList());

        QSignalSpy deferred(m_writer.get(), &TimingRecordWriter::recordDeferred);
        QSignalSpy replaced(m_writer.get(), &TimingRecordWriter::damagedDatabaseReplaced);
        QVERIFY(write("阶段"));
        QVERIFY(m_writer->waitUntilStored(5000));
        QCOMPARE(labels(), QStringList{"阶段"});
        QCOMPARE(query("SELECT count(*) FROM deskclock"), QStringList{"0"});
        QCOMPARE(query("SELECT a FROM notes"), QStringList{sql.isEmpty() ? "failed" : "kept"});

        QCoreApplication::sendPostedEvents(); // the writer's signals come through the event loop
        QCOMPARE(deferred.count(), 0);
        QCOMPARE(replaced.count(), int(setAside));
        QCOMPARE(QDir(m_sandbox.programFolder()).entryList({"DeskData.db.damaged*"}).size(), int(setAside));
        QFile kept(replaced.value(0).value(0).toString()); // the old file, unchanged, when set aside
        QCOMPARE(kept.fileName().contains(QRegularExpression(R"(/DeskData\.db\.damaged-\d{8}-\d{6}$)")), setAside);
        QVERIFY(!setAside || (kept.open(QIODevice::ReadOnly) && kept.readAll() == contents));
    }

    // A pending file that cannot be written: the records wait in memory and
    // count as pending, WriteTimingRecord never says they are safe, the
    // operator is told once with the file and the reason, and the database
    // gets each record once, as soon as it takes them.
    void unwritablePendingFileKeepsRecordsInMemory_data()
    {
        QTest::addColumn<Unwritable::Kind>("refusal");
        QTest::addColumn<bool>("databaseToo"); // the database refuses them as well
        QTest::newRow("folder in the pending file's place") << Unwritable::FolderInPlace << false;
        QTest::newRow("folders in place of both") << Unwritable::FolderInPlace << true;
        QTest::newRow("read-only program folder") << Unwritable::ReadOnlyFolder << true;
        QTest::newRow("full disk") << Unwritable::FullDisk << true;
    }
    void unwritablePendingFileKeepsRecordsInMemory()
    {
        QFETCH(Unwritable::Kind, refusal);
        QFETCH(bool, databaseToo);
        QSignalSpy unsaved(m_writer.get(), &TimingRecordWriter::recordsUnsaved);
        std::optional<Unwritable> pending(std::in_place, refusal, m_pendingPath);
        if (!pending->holds())
            QSKIP("root writes whatever the permissions say; the other rows refuse writes anyway");
        std::optional<Unwritable> database;
        if (refusal == Unwritable::FolderInPlace && databaseToo) {
            QVERIFY(QFile::remove(m_path));
            database.emplace(Unwritable::FolderInPlace, m_path);
        }

        QVERIFY(!write("一"));
        QVERIFY(!write("二"));
        QCOMPARE(unsaved.count(), 1);
        const QString told = unsaved.at(0).at(0).toString();
        QVERIFY2(told.contains(m_pendingPath + "（") && !told.contains("（）"), qPrintable(told));
        if (databaseToo) {
            QVERIFY(!m_writer->waitUntilStored(300));
            QCOMPARE(m_writer->pendingCount(), 2);
            database.reset();
            pending.reset();
        }
        QTRY_COMPARE_WITH_TIMEOUT(m_writer->pendingCount(), 0, 5000); // the storing thread retries by itself
        QCOMPARE(labels(), (QStringList{"一", "二"}));

        pending.reset();
        QVERIFY(write("三"));
        QVERIFY(m_writer->waitUntilStored(5000));
        QCOMPARE(labels(), (QStringList{"一", "二", "三"}));
        QVERIFY(!QFile::exists(m_pendingPath));
        QCOMPARE(unsaved.count(), 1);
    }

    // A write of the pending file that fails half-way (a full disk) leaves
    // the file as it was: the records it held survive for the next start.
    void failedPendingWriteKeepsTheFile()
    {
        m_writer.reset();
        PendingRecords pending(m_pendingPath);
        RunState run = runOf("一", 1000);
        QVERIFY(pending.append(TimingRecord::fromRun(run, kNow, 1)));
        std::optional<Unwritable> full(std::in_place, Unwritable::FullDisk, m_pendingPath);
        if (!full->holds())
            QSKIP("no way to fill the disk here");
        QVERIFY(!pending.append(TimingRecord::fromRun(run, kNow, 2)));
        QCOMPARE(pending.unsavedCount(), 2);
        full.reset();
        QCOMPARE(PendingRecords(m_pendingPath).count(), 1);
        pending.saveIfUnsaved();
        QCOMPARE(PendingRecords(m_pendingPath).count(), 2);
        QCOMPARE(pending.unsavedCount(), 0);
    }

    // A program killed (SIGKILL) right after it accepted a record, while the
    // database was locked: the next start stores the record once, also when
    // it had reached the database before the pending file was rewritten.
    void killedProgramsRecordIsStoredOnce_data()
    {
        QTest::addColumn<bool>("reachedDatabase");
        QTest::newRow("killed before storing") << false;
        QTest::newRow("stored, pending file not yet rewritten") << true;
    }
    void killedProgramsRecordIsStoredOnce()
    {
        QFETCH(bool, reachedDatabase);
        m_writer.reset(); // the child is the program now
        std::optional<Connection> lock(std::in_place, m_path);
        QCOMPARE(lock->rows("BEGIN EXCLUSIVE"), QStringList());
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {kChildArgument, m_path, "被中断的 O'Brien\n二"});
        QVERIFY(child.waitForReadyRead(10000) && child.readAll().contains("accepted"));
        child.kill(); // no destructor, no clean-up
        QVERIFY(child.waitForFinished(5000));
        lock.reset();
        const TimingRecord left = PendingRecords(m_pendingPath).first().value_or(TimingRecord{});
        if (reachedDatabase)
            QVERIFY(RecordDatabase(m_path).store(left).outcome == RecordDatabase::Outcome::Stored);

        TimingRecordWriter next(m_registry, m_path);
        next.storePending();
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(m_pendingPath), 5000);
        QCOMPARE(rows(), QStringList{"00:05:00 00:10:00 00:00:05 00:00:00 被中断的 O'Brien\n二"});
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], kChildArgument) == 0) {
        // The program for killedProgramsRecordIsStoredOnce: accepts one record
        // for the database in argument 2, says so, and runs until it is killed.
        RegistryStore registry; // the sandbox's, through the inherited environment
        TimingRecordWriter writer(registry, app.arguments().value(2));
        RunState state = runOf(app.arguments().value(3), 600000, 5000);
        if (writer.WriteTimingRecord(state))
            QTextStream(stdout) << "accepted" << Qt::endl;
        return app.exec();
    }
    TestTimingRecordWriter test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_timingrecordwriter.moc"
