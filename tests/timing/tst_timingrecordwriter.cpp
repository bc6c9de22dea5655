#include "timing/TimingRecordWriter.h"

#include "storage/RegistryStore.h"

#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QSqlQuery>
#include <QtTest>

using namespace melvanta;

const QDateTime kNow(QDate(2024, 3, 5), QTime(9, 7, 3));
const QString kTimeRecord = QString::fromLatin1(RegistryValue::Time_Record);

class TestTimingRecordWriter : public QObject
{
    Q_OBJECT

    TestSandbox m_sandbox;
    RegistryStore m_registry;
    const QString m_path = m_sandbox.filePath(QStringLiteral("DeskData.db"));
    TimingRecordWriter m_writer{m_registry, m_path};

    // The first six values of every row of `timesum`, read by position.
    QStringList timesumValues() const
    {
        QStringList values;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
            db.setDatabaseName(m_path);
            QSqlQuery query(db.open() ? QStringLiteral("SELECT * FROM timesum ORDER BY ID_auto") : QString(), db);
            while (query.next())
                for (int i = 0; i < 6; ++i)
                    values << query.value(i).toString();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("reader"));
        return values;
    }

private slots:
    void init()
    {
        m_sandbox.installDataFiles(); // a fresh database without records
        QVERIFY(m_registry.setNumber(kTimeRecord, 1));
    }

    // Totals round to whole seconds, a half to the even one, and wrap round at
    // a day. A label is stored exactly; an empty one becomes the time of the
    // record and stays for the later ones.
    void writesRows()
    {
        const QString label = QStringLiteral("开场 O'Brien \"x\"); DROP TABLE timesum; --");
        RunState state;
        state.setDuration = QStringLiteral("00:05:00");
        state.stageLabel = label;
        state.accumulatedMs = {0, 200000, 0, 10000}; // stopped after 3 min 20 s with 10 s of pauses
        QVERIFY(m_writer.WriteTimingRecord(state, kNow));
        state.stageLabel.clear();
        state.accumulatedMs = {0, 500, 1500, 2500};
        QVERIFY(m_writer.WriteTimingRecord(state, kNow));
        state.accumulatedMs = {0, -1500, 59500, 86399500};
        QVERIFY(m_writer.WriteTimingRecord(state, kNow.addSecs(3600)));
        const QStringList values = timesumValues();
        const QString stamp = QStringLiteral("2024-03-05 09:07:03");
        QCOMPARE(values.mid(0, 6), (QStringList{"", "00:05:00", "00:03:20", "00:00:00", "00:00:10", label}));
        QCOMPARE(values.mid(6, 6), (QStringList{"", "00:05:00", "00:00:00", "00:00:02", "00:00:02", stamp}));
        QCOMPARE(values.mid(12), (QStringList{"", "00:05:00", "00:00:00", "00:01:00", "00:00:00", stamp}));
    }

    // The run goes on at once without a record.
    void writesNothing()
    {
        RunState state;
        const auto nothing = [&] { return !m_writer.WriteTimingRecord(state, kNow) && state.stageLabel.isEmpty(); };
        QVERIFY(m_registry.setText(kTimeRecord, QStringLiteral("0")) && nothing());
        QVERIFY(m_registry.remove(kTimeRecord) && nothing());
        QVERIFY(m_registry.setNumber(kTimeRecord, 1) && QFile::remove(m_path) && nothing());
        QVERIFY(!QFileInfo::exists(m_path)); // a missing database is not made
        m_sandbox.writeFile(QStringLiteral("DeskData.db"), QByteArray(8192, '\xA5'));
        QVERIFY(nothing());

        // Another program holding the database costs one record, not a stalled clock.
        m_sandbox.installDataFiles();
        {
            QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
            holder.setDatabaseName(m_path);
            QVERIFY(holder.open() && QSqlQuery(holder).exec(QStringLiteral("BEGIN EXCLUSIVE")));
            const QDeadlineTimer deadline(2000);
            QVERIFY(nothing() && !deadline.hasExpired());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("holder"));
        QVERIFY(m_writer.WriteTimingRecord(state, kNow));
    }
};

QTEST_GUILESS_MAIN(TestTimingRecordWriter)
#include "tst_timingrecordwriter.moc"
