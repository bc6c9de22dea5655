#include "timing/TimingRecordWriter.h"

#include "storage/RegistryStore.h"
#include "timing/TimingRecord.h"

#include "TestSupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimer>
#include <QUuid>
#include <QtTest>

#include <cstdio>
#include <memory>

using namespace melvanta;

const QDateTime kNow(QDate(2024, 3, 5), QTime(9, 7, 3));
const QString kTimeRecord = QString::fromLatin1(RegistryValue::Time_Record);
const char kChildArgument[] = "--accept-one-record";

namespace {

RunState runOf(const QString& label, std::array<qint64, 4> accumulatedMs, const QString& set = "00:05:00")
{
    RunState state;
    state.setDuration = set;
    state.stageLabel = label;
    state.accumulatedMs = accumulatedMs;
    return state;
}

// Runs `sql` with `values` bound on a connection of its own; the rows as
// texts, or nothing when it failed.
std::optional<QList<QStringList>> query(const QString& path, const QString& sql, const QVariantList& values = {})
{
    std::optional<QList<QStringList>> rows;
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
        QSqlQuery q(db);
        bool ok = db.open() && q.prepare(sql);
        for (const QVariant& value : values)
            q.addBindValue(value);
        if (ok && q.exec()) {
            rows.emplace();
            while (q.next()) {
                QStringList row;
                for (int i = 0; i < q.record().count(); ++i)
                    row << q.value(i).toString();
                rows->append(row);
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}

// The same, with one row "failed" when it failed.
QList<QStringList> rowsOf(const QString& path, const QString& sql)
{
    return query(path, sql).value_or(QList<QStringList>{{"failed"}});
}

// The stage labels of `timesum`, in the order the rows were added.
QStringList storedLabels(const QString& path)
{
    QStringList labels;
    for (const QStringList& row :
         query(path, "SELECT filename FROM timesum ORDER BY ID_auto").value_or(QList<QStringList>{}))
        labels << row.value(0);
    return labels;
}

QStringList tableNames(const QString& path)
{
    QStringList names;
    for (const QStringList& row :
         query(path, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY name")
             .value_or(QList<QStringList>{}))
        names << row.value(0);
    return names;
}

// Another program holding the database: an exclusive lock keeps out readers
// and writers until release().
class DatabaseLock
{
public:
    explicit DatabaseLock(const QString& path) : m_name(QUuid::createUuid().toString())
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        m_held = db.open() && QSqlQuery(db).exec(QStringLiteral("BEGIN EXCLUSIVE"));
    }
    ~DatabaseLock() { release(); }
    bool held() const { return m_held; }
    void release()
    {
        if (m_name.isEmpty())
            return;
        {
            QSqlDatabase db = QSqlDatabase::database(m_name);
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
        m_name.clear();
        m_held = false;
    }

private:
    QString m_name;
    bool m_held = false;
};

QList<QByteArray> fileLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    lines.removeAll(QByteArray());
    return lines;
}

} // namespace

class TestTimingRecordWriter : public QObject
{
    Q_OBJECT

    TestSandbox m_sandbox;
    RegistryStore m_registry;
    const QString m_path = m_sandbox.filePath(QStringLiteral("DeskData.db"));
    const QString m_pendingPath = TimingRecordWriter::pendingFilePath(m_path);
    std::unique_ptr<TimingRecordWriter> m_writer;

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

    // Totals round to whole seconds, a half to the even one, and wrap round at
    // a day; an empty label becomes the time of the record. The pending
    // file's line gives the same record back.
    void recordOfARun_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QList<qint64>>("totals"); // used, overtime, pauses
        QTest::addColumn<QStringList>("expected"); // set, used, overtime, pauses, label
        const QString label = QStringLiteral("开场 O'Brien \"x\"); DROP TABLE timesum; --\n二");
        QTest::newRow("stopped after 3:20 with 10 s of pauses")
            << label << QList<qint64>{200000, 0, 10000}
            << QStringList{"00:05:00", "00:03:20", "00:00:00", "00:00:10", label};
        QTest::newRow("halves go to the even second")
            << "a" << QList<qint64>{500, 1500, 2500}
            << QStringList{"00:05:00", "00:00:00", "00:00:02", "00:00:02", "a"};
        QTest::newRow("just below a half, just above")
            << "a" << QList<qint64>{1499, 1501, 3500}
            << QStringList{"00:05:00", "00:00:01", "00:00:02", "00:00:04", "a"};
        QTest::newRow("negative, and a day wraps round")
            << "a" << QList<qint64>{-1500, 90061000, 86399500}
            << QStringList{"00:05:00", "00:00:00", "01:01:01", "00:00:00", "a"};
        QTest::newRow("no label: the time of the record")
            << "" << QList<qint64>{0, 0, 0}
            << QStringList{"00:05:00", "00:00:00", "00:00:00", "00:00:00", "2024-03-05 09:07:03"};
    }
    void recordOfARun()
    {
        QFETCH(QString, label);
        QFETCH(QList<qint64>, totals);
        QFETCH(QStringList, expected);
        const TimingRecord record =
            TimingRecord::fromRun(runOf(label, {0, totals[0], totals[1], totals[2]}), kNow, 4611686018427387903);
        QCOMPARE((QStringList{record.setTime, record.useTime, record.outTime, record.pauseTime, record.filename}),
                 expected);
        const QByteArray line = record.toLine();
        QVERIFY(!line.contains('\n'));
        QCOMPARE(TimingRecord::fromLine(line), record);
    }

    // Rows reach the database in order with their values; an empty label
    // becomes the time of the record and stays for the later ones. Each row
    // carries a key of its own in `ID`.
    void writesRows()
    {
        const QString label = QStringLiteral("开场 O'Brien \"x\"); DROP TABLE timesum; --");
        RunState state = runOf(label, {0, 200000, 0, 10000});
        QVERIFY(m_writer->WriteTimingRecord(state, kNow));
        state.stageLabel.clear();
        QVERIFY(m_writer->WriteTimingRecord(state, kNow));
        QCOMPARE(state.stageLabel, QStringLiteral("2024-03-05 09:07:03"));
        state.accumulatedMs = {0, 500, 1500, 2500};
        QVERIFY(m_writer->WriteTimingRecord(state, kNow.addSecs(3600)));
        QVERIFY(m_writer->waitUntilStored(5000));
        QCOMPARE(m_writer->pendingCount(), 0);
        QVERIFY(!QFile::exists(m_pendingPath));

        const QList<QStringList> rows = rowsOf(m_path, "SELECT * FROM timesum ORDER BY ID_auto");
        QCOMPARE(rows.size(), 3);
        const QString stamp = QStringLiteral("2024-03-05 09:07:03");
        QCOMPARE(rows[0].mid(1, 5), (QStringList{"00:05:00", "00:03:20", "00:00:00", "00:00:10", label}));
        QCOMPARE(rows[1].mid(1, 5), (QStringList{"00:05:00", "00:03:20", "00:00:00", "00:00:10", stamp}));
        QCOMPARE(rows[2].mid(1, 5), (QStringList{"00:05:00", "00:00:00", "00:00:02", "00:00:02", stamp}));
        QSet<QString> keys{rows[0][0], rows[1][0], rows[2][0]};
        keys.remove(QString());
        keys.remove(QStringLiteral("0"));
        QCOMPARE(keys.size(), 3);
    }

    // Recording switched off: nothing is kept, nothing is stored, the label stays empty.
    void writesNothingWhenSwitchedOff_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("0") << "0";
        QTest::newRow("text reading 0") << "abc";
        QTest::newRow("missing") << QString();
    }
    void writesNothingWhenSwitchedOff()
    {
        QFETCH(QString, value);
        QVERIFY(value.isNull() ? m_registry.remove(kTimeRecord) : m_registry.setText(kTimeRecord, value));
        RunState state = runOf(QString(), {0, 1000, 0, 0});
        QVERIFY(!m_writer->WriteTimingRecord(state, kNow));
        QVERIFY(state.stageLabel.isEmpty());
        QCOMPARE(m_writer->pendingCount(), 0);
        QVERIFY(m_writer->waitUntilStored(1000));
        QVERIFY(!QFile::exists(m_pendingPath));
        QCOMPARE(storedLabels(m_path), QStringList());
    }

    // Another program holds the database for 3 s while three runs end: each
    // record is accepted at once, the event loop never stalls, the operator
    // is told once, and the records arrive in order, once each, when the lock
    // goes, without another call. A later lock is a new failure and is told
    // again.
    void lockedDatabaseDelaysRecords()
    {
        QSignalSpy deferred(m_writer.get(), &TimingRecordWriter::recordDeferred);
        QElapsedTimer sinceTick;
        qint64 largestGap = 0;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        connect(&ticker, &QTimer::timeout, [&] { largestGap = qMax(largestGap, sinceTick.restart()); });

        DatabaseLock lock(m_path);
        QVERIFY(lock.held());
        QElapsedTimer locked;
        locked.start();
        sinceTick.start();
        ticker.start(100);
        qint64 slowest = 0;
        for (const QString& label : {QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")}) {
            RunState state = runOf(label, {0, 60000, 0, 0});
            QElapsedTimer call;
            call.start();
            QVERIFY(m_writer->WriteTimingRecord(state, kNow));
            slowest = qMax(slowest, call.nsecsElapsed() / 1000);
        }
        qInfo("slowest WriteTimingRecord while the database was locked: %lld us", slowest);
        QVERIFY2(slowest < 50'000, qPrintable(QString::number(slowest)));
        QCOMPARE(fileLines(m_pendingPath).size(), 3);
        QTRY_COMPARE(deferred.count(), 1);
        QVERIFY(!deferred.first().first().toString().isEmpty());

        QTRY_VERIFY_WITH_TIMEOUT(locked.elapsed() >= 3000, 5000);
        ticker.stop();
        qInfo("largest gap between 100 ms ticks while locked: %lld ms", largestGap);
        QVERIFY2(largestGap <= 150, qPrintable(QString::number(largestGap)));
        QCOMPARE(m_writer->pendingCount(), 3);
        lock.release();
        QTRY_COMPARE_WITH_TIMEOUT(storedLabels(m_path), (QStringList{"一", "二", "三"}), 5000);
        QTRY_COMPARE(m_writer->pendingCount(), 0);
        QVERIFY(!QFile::exists(m_pendingPath));
        QCOMPARE(deferred.count(), 1); // the retries told nobody again

        DatabaseLock again(m_path);
        QVERIFY(again.held());
        RunState state = runOf(QStringLiteral("四"), {0, 1000, 0, 0});
        QVERIFY(m_writer->WriteTimingRecord(state, kNow));
        QTRY_COMPARE(deferred.count(), 2);
        QVERIFY(!m_writer->waitUntilStored(100));
        again.release();
        QVERIFY(m_writer->waitUntilStored(5000));
        QCOMPARE(storedLabels(m_path), (QStringList{"一", "二", "三", "四"}));
        QCOMPARE(deferred.count(), 2);
    }

    // A database that is missing, empty or has no `timesum` gets its tables;
    // one that is damaged is kept aside under a time-stamped name and
    // replaced. The record is stored either way, without a deferral.
    void unusableDatabaseIsMadeUsable_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QStringList>("tables");
        QTest::addColumn<bool>("setAside");
        const QStringList both{"deskclock", "timesum"};
        QTest::newRow("missing") << "missing" << both << false;
        QTest::newRow("0 bytes") << "empty" << both << false;
        QTest::newRow("no timesum") << "other table" << QStringList{"deskclock", "notes", "timesum"} << false;
        QTest::newRow("not a database") << "junk" << both << true;
        QTest::newRow("damaged tables") << "damaged pages" << both << true;
    }
    void unusableDatabaseIsMadeUsable()
    {
        QFETCH(QString, state);
        QFETCH(QStringList, tables);
        QFETCH(bool, setAside);
        if (state == "damaged pages") {
            // The first page with the table list is whole, the tables' own pages are not.
            QFile file(m_path);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.size() > 4096 && file.seek(4096));
            file.write(QByteArray(int(file.size() - 4096), '\x5a'));
        } else {
            QVERIFY(QFile::remove(m_path));
        }
        if (state == "empty")
            m_sandbox.writeFile("DeskData.db", QByteArray());
        if (state == "other table")
            QVERIFY(query(m_path, "CREATE TABLE notes (a TEXT)") && query(m_path, "INSERT INTO notes VALUES ('kept')"));
        if (state == "junk")
            m_sandbox.writeFile("DeskData.db", QByteArray(4096, '\x5a'));
        QByteArray damaged;
        if (QFile before(m_path); setAside && before.open(QIODevice::ReadOnly))
            damaged = before.readAll();

        QSignalSpy deferred(m_writer.get(), &TimingRecordWriter::recordDeferred);
        QSignalSpy replaced(m_writer.get(), &TimingRecordWriter::damagedDatabaseReplaced);
        RunState run = runOf(QStringLiteral("阶段"), {0, 1000, 0, 0});
        QVERIFY(m_writer->WriteTimingRecord(run, kNow));
        QVERIFY(m_writer->waitUntilStored(5000));
        QCOMPARE(storedLabels(m_path), QStringList{"阶段"});
        QCOMPARE(tableNames(m_path), tables);
        if (state == "other table")
            QCOMPARE(rowsOf(m_path, "SELECT a FROM notes"), (QList<QStringList>{{"kept"}}));

        QCoreApplication::sendPostedEvents(); // the writer's signals come through the event loop
        QCOMPARE(deferred.count(), 0);
        QCOMPARE(replaced.count(), setAside ? 1 : 0);
        if (setAside) {
            const QString aside = replaced.first().first().toString();
            QVERIFY2(QRegularExpression(R"(/DeskData\.db\.damaged-\d{8}-\d{6}$)").match(aside).hasMatch(),
                     qPrintable(aside));
            QFile kept(aside);
            QVERIFY(kept.open(QIODevice::ReadOnly) && kept.readAll() == damaged);
        }
        QStringList beside = leftBeside();
        beside.removeAll("DeskData.db-journal"); // a fresh database may keep an empty journal
        QCOMPARE(beside.size(), setAside ? 1 : 0);
    }

    // A program killed (SIGKILL) right after it accepted a record, while the
    // database was locked: the next start stores the record once.
    void killedProgramLeavesItsRecord()
    {
        m_writer.reset(); // the child is the program now
        DatabaseLock lock(m_path);
        QVERIFY(lock.held());
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QLatin1String(kChildArgument), m_path, QStringLiteral("被中断的 O'Brien")});
        QVERIFY(child.waitForStarted(5000));
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += child.readAllStandardOutput()).contains("accepted") ||
                                     child.state() == QProcess::NotRunning,
                                 10000);
        QCOMPARE(child.state(), QProcess::Running);
        child.kill(); // SIGKILL: no destructor, no clean-up
        QVERIFY(child.waitForFinished(5000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        lock.release();
        QCOMPARE(fileLines(m_pendingPath).size(), 1);
        QCOMPARE(storedLabels(m_path), QStringList());

        TimingRecordWriter next(m_registry, m_path);
        QCOMPARE(next.pendingCount(), 1);
        next.storePending();
        QTRY_COMPARE_WITH_TIMEOUT(storedLabels(m_path), QStringList{"被中断的 O'Brien"}, 5000);
        QTRY_VERIFY(!QFile::exists(m_pendingPath));
        QCOMPARE(rowsOf(m_path, "SELECT set_time, use_time, out_time FROM timesum"),
                 (QList<QStringList>{{"00:10:00", "00:10:00", "00:00:05"}}));
    }

    // The program went down after a record reached the database but before
    // the pending file was rewritten: its key is there, so it is not added
    // again, and the next one is. A line that is no record is left out.
    void storedRecordIsNotStoredAgain()
    {
        m_writer.reset();
        QVERIFY(query(m_path, "INSERT INTO timesum (ID, set_time, filename) VALUES (?, '00:05:00', '已存')",
                      {qint64(4242424242424242)}));
        m_sandbox.writeFile(QFileInfo(m_pendingPath).fileName(),
                            R"({"key":"4242424242424242","set_time":"00:05:00","use_time":"00:01:00",)"
                            R"("out_time":"00:00:00","pause_time":"00:00:00","filename":"已存"})"
                            "\nnot a record\n"
                            R"({"key":"4343","set_time":"00:05:00","use_time":"00:02:00",)"
                            R"("out_time":"00:00:00","pause_time":"00:00:00","filename":"未存"})"
                            "\n");
        TimingRecordWriter next(m_registry, m_path);
        QCOMPARE(next.pendingCount(), 2);
        next.storePending();
        QVERIFY(next.waitUntilStored(5000));
        QCOMPARE(rowsOf(m_path, "SELECT ID, use_time, filename FROM timesum ORDER BY ID_auto"),
                 (QList<QStringList>{{"4242424242424242", "", "已存"}, {"4343", "00:02:00", "未存"}}));
        QVERIFY(!QFile::exists(m_pendingPath));
    }

    // Ending the program while the database is locked does not wait for it;
    // the record stays in the pending file for the next start.
    void shutdownKeepsWhatIsNotStored()
    {
        DatabaseLock lock(m_path);
        QVERIFY(lock.held());
        RunState state = runOf(QStringLiteral("最后"), {0, 1000, 0, 0});
        QVERIFY(m_writer->WriteTimingRecord(state, kNow));
        QElapsedTimer shutdown;
        shutdown.start();
        m_writer.reset();
        QVERIFY2(shutdown.elapsed() < 1000, qPrintable(QString::number(shutdown.elapsed())));
        lock.release();
        const QList<QByteArray> lines = fileLines(m_pendingPath);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(TimingRecord::fromLine(lines[0]).value_or(TimingRecord{}).filename, QStringLiteral("最后"));
        QCOMPARE(storedLabels(m_path), QStringList());
    }
};

// The program for killedProgramLeavesItsRecord: accepts one record for the
// database in argument 2, says so, and runs until it is killed.
static int acceptOneRecord(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    RegistryStore registry;
    TimingRecordWriter writer(registry, args.value(2));
    RunState state = runOf(args.value(3), {0, 600000, 5000, 0}, QStringLiteral("00:10:00"));
    if (!writer.WriteTimingRecord(state))
        return 1;
    std::fputs("accepted\n", stdout);
    std::fflush(stdout);
    return app.exec();
}

int main(int argc, char** argv)
{
    if (argc == 4 && qstrcmp(argv[1], kChildArgument) == 0)
        return acceptOneRecord(argc, argv);
    QCoreApplication app(argc, argv);
    TestTimingRecordWriter test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_timingrecordwriter.moc"
