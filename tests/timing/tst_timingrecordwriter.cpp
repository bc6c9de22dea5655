#include "timing/TimingRecordWriter.h"

#include "storage/RegistryStore.h"
#include "timing/RunState.h"

#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <QtTest>

#include <memory>

using namespace melvanta;

namespace {

const QDateTime kNow(QDate(2024, 3, 5), QTime(9, 7, 3));

QString uniqueConnection()
{
    return QStringLiteral("test-") + QUuid::createUuid().toString(QUuid::Id128);
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

// Every row of `timesum` in key order, each read by column position.
QList<QVariantList> timesumRows(const QString& path)
{
    QList<QVariantList> rows;
    const QString name = uniqueConnection();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("SELECT * FROM timesum ORDER BY ID_auto"))) {
                while (query.next()) {
                    QVariantList row;
                    for (int i = 0; i < query.record().count(); ++i)
                        row << query.value(i);
                    rows << row;
                }
            }
            query.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}

// Creates an SQLite database at `path` by running `statements`.
bool makeDatabase(const QString& path, const QStringList& statements)
{
    bool ok = true;
    const QString name = uniqueConnection();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery query(db);
        for (const QString& statement : statements)
            ok = ok && query.exec(statement);
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

RunState endedRun(const QString& setDuration, qint64 mainMs, qint64 overtimeMs, qint64 pauseMs)
{
    RunState state;
    state.setDuration = setDuration;
    state.accumulatedMs[1] = mainMs;
    state.accumulatedMs[2] = overtimeMs;
    state.accumulatedMs[3] = pauseMs;
    return state;
}

} // namespace

class TestTimingRecordWriter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void writesEndedRunInColumnOrder();
    void roundsTotalsToWholeSeconds_data();
    void roundsTotalsToWholeSeconds();
    void followsTimeRecordSwitch_data();
    void followsTimeRecordSwitch();
    void missingDatabaseIsNotCreated();
    void storesStageLabel_data();
    void storesStageLabel();
    void laterRecordsKeepFirstLabelAndNextKey();
    void lockedDatabaseFailsQuicklyThenRecovers();
    void unusableDatabaseWritesNothing_data();
    void unusableDatabaseWritesNothing();
    void readOnlyDatabaseWritesNothing();

private:
    QString databasePath() const { return m_sandbox->filePath(QStringLiteral("DeskData.db")); }

    std::unique_ptr<TestSandbox> m_sandbox;
    std::unique_ptr<RegistryStore> m_registry;
    std::unique_ptr<TimingRecordWriter> m_writer;
};

void TestTimingRecordWriter::init()
{
    m_sandbox = std::make_unique<TestSandbox>();
    m_sandbox->installDataFiles();
    QVERIFY(QFileInfo::exists(databasePath()));
    m_registry = std::make_unique<RegistryStore>();
    QVERIFY(m_registry->setNumber(QString::fromLatin1(RegistryValue::Time_Record), 1));
    m_writer = std::make_unique<TimingRecordWriter>(*m_registry, databasePath());
}

void TestTimingRecordWriter::cleanup()
{
    m_writer.reset();
    m_registry.reset();
    m_sandbox.reset();
}

void TestTimingRecordWriter::writesEndedRunInColumnOrder()
{
    // A 5-minute stage stopped after 3 min 20 s with a 10 s pause and no overtime.
    RunState state = endedRun(QStringLiteral("00:05:00"), 200000, 0, 10000);
    state.stageLabel = QStringLiteral("开场致辞");
    const QStringList connectionsBefore = QSqlDatabase::connectionNames();

    QVERIFY(m_writer->WriteTimingRecord(state, kNow));

    QCOMPARE(QSqlDatabase::connectionNames(), connectionsBefore);
    const QList<QVariantList> rows = timesumRows(databasePath());
    QCOMPARE(rows.size(), 1);
    const QVariantList& row = rows.first();
    QCOMPARE(row.size(), 7);
    QVERIFY(row.at(0).isNull());
    QCOMPARE(row.at(1).toString(), QStringLiteral("00:05:00"));
    QCOMPARE(row.at(2).toString(), QStringLiteral("00:03:20"));
    QCOMPARE(row.at(3).toString(), QStringLiteral("00:00:00"));
    QCOMPARE(row.at(4).toString(), QStringLiteral("00:00:10"));
    QCOMPARE(row.at(5).toString(), QStringLiteral("开场致辞"));
    QVERIFY(row.at(6).toLongLong() > 0);
}

void TestTimingRecordWriter::roundsTotalsToWholeSeconds_data()
{
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<QString>("text");

    QTest::newRow("negative") << qint64(-1500) << "00:00:00";
    QTest::newRow("499") << qint64(499) << "00:00:00";
    QTest::newRow("500 to even 0") << qint64(500) << "00:00:00";
    QTest::newRow("501") << qint64(501) << "00:00:01";
    QTest::newRow("1500 to even 2") << qint64(1500) << "00:00:02";
    QTest::newRow("2500 to even 2") << qint64(2500) << "00:00:02";
    QTest::newRow("3499") << qint64(3499) << "00:00:03";
    QTest::newRow("3500 to even 4") << qint64(3500) << "00:00:04";
    QTest::newRow("59.5 s carries") << qint64(59500) << "00:01:00";
    QTest::newRow("hour boundary") << qint64(3599500) << "01:00:00";
    QTest::newRow("last second") << qint64(86399499) << "23:59:59";
    QTest::newRow("rounds into a day") << qint64(86399500) << "00:00:00";
    QTest::newRow("25 h wraps") << qint64(90061000) << "01:01:01";
    QTest::newRow("beyond int seconds") << qint64(3000000000000) << "05:20:00";
}

void TestTimingRecordWriter::roundsTotalsToWholeSeconds()
{
    QFETCH(qint64, ms);
    QFETCH(QString, text);

    RunState state = endedRun(QStringLiteral("00:10:00"), ms, ms, ms);
    state.stageLabel = QStringLiteral("stage");
    QVERIFY(m_writer->WriteTimingRecord(state, kNow));

    const QList<QVariantList> rows = timesumRows(databasePath());
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().at(2).toString(), text);
    QCOMPARE(rows.first().at(3).toString(), text);
    QCOMPARE(rows.first().at(4).toString(), text);
}

void TestTimingRecordWriter::followsTimeRecordSwitch_data()
{
    QTest::addColumn<QString>("stored"); // empty: the value is missing
    QTest::addColumn<bool>("written");

    QTest::newRow("missing") << QString() << false;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("1") << "1" << true;
    QTest::newRow("7") << "7" << true;
    QTest::newRow("-1") << "-1" << true;
    QTest::newRow("text reads as 0") << "abc" << false;
}

void TestTimingRecordWriter::followsTimeRecordSwitch()
{
    QFETCH(QString, stored);
    QFETCH(bool, written);

    const QString name = QString::fromLatin1(RegistryValue::Time_Record);
    if (stored.isEmpty())
        QVERIFY(m_registry->remove(name));
    else
        QVERIFY(m_registry->setText(name, stored));

    RunState state = endedRun(QStringLiteral("00:05:00"), 1000, 0, 0);
    QCOMPARE(m_writer->WriteTimingRecord(state, kNow), written);
    QCOMPARE(timesumRows(databasePath()).size(), written ? 1 : 0);
    // Nothing written, nothing named.
    QCOMPARE(state.stageLabel.isEmpty(), !written);
}

void TestTimingRecordWriter::missingDatabaseIsNotCreated()
{
    QVERIFY(QFile::remove(databasePath()));
    RunState state = endedRun(QStringLiteral("00:05:00"), 200000, 0, 10000);

    QVERIFY(!m_writer->WriteTimingRecord(state, kNow));

    QVERIFY(!QFileInfo::exists(databasePath()));
    QVERIFY(state.stageLabel.isEmpty());
}

void TestTimingRecordWriter::storesStageLabel_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("stored");

    QTest::newRow("empty takes the date and time") << QString() << "2024-03-05 09:07:03";
    QTest::newRow("quotes") << "O'Brien \"x\""
                            << "O'Brien \"x\"";
    QTest::newRow("statement text") << "x'); DROP TABLE timesum; --"
                                    << "x'); DROP TABLE timesum; --";
    QTest::newRow("chinese") << "第二阶段 · 提问"
                             << "第二阶段 · 提问";
}

void TestTimingRecordWriter::storesStageLabel()
{
    QFETCH(QString, label);
    QFETCH(QString, stored);

    RunState state = endedRun(QStringLiteral("00:05:00"), 1000, 0, 0);
    state.stageLabel = label;
    QVERIFY(m_writer->WriteTimingRecord(state, kNow));

    const QList<QVariantList> rows = timesumRows(databasePath());
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().at(5).toString(), stored);
    QCOMPARE(state.stageLabel, stored);
}

void TestTimingRecordWriter::laterRecordsKeepFirstLabelAndNextKey()
{
    RunState state = endedRun(QStringLiteral("00:05:00"), 1000, 0, 0);
    QVERIFY(m_writer->WriteTimingRecord(state, kNow));
    state.accumulatedMs[1] = 2000;
    QVERIFY(m_writer->WriteTimingRecord(state, kNow.addSecs(3600)));

    const QList<QVariantList> rows = timesumRows(databasePath());
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0).at(5).toString(), QStringLiteral("2024-03-05 09:07:03"));
    QCOMPARE(rows.at(1).at(5).toString(), QStringLiteral("2024-03-05 09:07:03"));
    QCOMPARE(rows.at(1).at(2).toString(), QStringLiteral("00:00:02"));
    QVERIFY(rows.at(1).at(6).toLongLong() > rows.at(0).at(6).toLongLong());
}

void TestTimingRecordWriter::lockedDatabaseFailsQuicklyThenRecovers()
{
    RunState state = endedRun(QStringLiteral("00:05:00"), 200000, 0, 10000);
    const QString holderName = uniqueConnection();
    {
        QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), holderName);
        holder.setDatabaseName(databasePath());
        QVERIFY2(holder.open(), qPrintable(holder.lastError().text()));
        QSqlQuery lock(holder);
        QVERIFY2(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")), qPrintable(lock.lastError().text()));

        QElapsedTimer timer;
        timer.start();
        const bool written = m_writer->WriteTimingRecord(state, kNow);
        const qint64 waited = timer.elapsed();
        QVERIFY(!written);
        QVERIFY2(waited < 2000, qPrintable(QStringLiteral("waited %1 ms").arg(waited)));
        QVERIFY(state.stageLabel.isEmpty());

        QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
        lock.finish();
        holder.close();
    }
    QSqlDatabase::removeDatabase(holderName);

    QVERIFY(m_writer->WriteTimingRecord(state, kNow));
    QCOMPARE(timesumRows(databasePath()).size(), 1);
}

void TestTimingRecordWriter::unusableDatabaseWritesNothing_data()
{
    QTest::addColumn<QString>("kind");

    QTest::newRow("junk bytes") << "junk";
    QTest::newRow("no timesum table") << "no table";
    QTest::newRow("timesum without the columns") << "other columns";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("folder in its place") << "folder";
}

void TestTimingRecordWriter::unusableDatabaseWritesNothing()
{
    QFETCH(QString, kind);

    const QString path = databasePath();
    QVERIFY(QFile::remove(path));
    if (kind == QLatin1String("junk")) {
        QByteArray junk;
        for (int i = 0; i < 8192; ++i)
            junk.append(char((i * 131 + 7) & 0xff));
        m_sandbox->writeFile(QStringLiteral("DeskData.db"), junk);
    } else if (kind == QLatin1String("no table")) {
        QVERIFY(makeDatabase(path, {QStringLiteral("CREATE TABLE deskclock (ID INTEGER, clockname TEXT)")}));
    } else if (kind == QLatin1String("other columns")) {
        QVERIFY(makeDatabase(path, {QStringLiteral("CREATE TABLE timesum (ID INTEGER, total TEXT)")}));
    } else if (kind == QLatin1String("empty")) {
        m_sandbox->writeFile(QStringLiteral("DeskData.db"), QByteArray());
    } else {
        QVERIFY(QDir().mkdir(path));
    }
    const QByteArray before = readBytes(path);
    const QStringList connectionsBefore = QSqlDatabase::connectionNames();
    RunState state = endedRun(QStringLiteral("00:05:00"), 200000, 0, 10000);

    QVERIFY(!m_writer->WriteTimingRecord(state, kNow));

    QVERIFY(state.stageLabel.isEmpty());
    QCOMPARE(state.accumulatedMs[1], qint64(200000));
    QCOMPARE(readBytes(path), before);
    QCOMPARE(QSqlDatabase::connectionNames(), connectionsBefore);
}

void TestTimingRecordWriter::readOnlyDatabaseWritesNothing()
{
    const QString path = databasePath();
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    {
        QFile probe(path);
        if (probe.open(QIODevice::ReadWrite))
            QSKIP("this user can write read-only files (root)");
    }
    const QByteArray before = readBytes(path);
    RunState state = endedRun(QStringLiteral("00:05:00"), 200000, 0, 10000);

    QVERIFY(!m_writer->WriteTimingRecord(state, kNow));

    QVERIFY(state.stageLabel.isEmpty());
    QCOMPARE(readBytes(path), before);
}

QTEST_GUILESS_MAIN(TestTimingRecordWriter)
#include "tst_timingrecordwriter.moc"
