#pragma once

#include "timing/RecordSink.h"
#include "timing/RunState.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QThread>

#include <memory>

namespace melvanta {

class PendingRecords;
class RecordStoreWorker;
class RegistryStore;

// Keeps a row in `timesum` for every finished run while the per-user value
// `Time_Record` is on, without ever holding up the clock. A record is first
// saved in the pending file beside the database ("DeskData.db.pending") and
// then stored by a thread of its own, in order and once each; a locked,
// read-only or full database only delays it, a missing one is made again, a
// damaged one is kept aside and replaced. What is not stored when the program
// ends stays in the pending file for the next start. While the pending file
// cannot be written the records wait in memory, and the operator is told.
class TimingRecordWriter : public QObject, public RecordSink
{
    Q_OBJECT

public:
    // Reads what an earlier run left in the pending file; storing it waits
    // for storePending() or the next record.
    TimingRecordWriter(const RegistryStore& registry, QString databasePath, QObject* parent = nullptr);
    // Stops the storing thread; records not yet stored stay in the pending file.
    ~TimingRecordWriter() override;

    // Accepts the record of `state` (set time, used, overtime and pause
    // times, stage label) for storing and returns at once. An empty
    // `stageLabel` becomes `now` as "yyyy-MM-dd hh:mm:ss" and is kept in
    // `state`. True when the record is safely in the pending file; false when
    // recording is off, or when the pending file cannot be written (the record
    // is then still stored if the database takes it during this session).
    bool WriteTimingRecord(RunState& state, const QDateTime& now = QDateTime::currentDateTime()) override;

    // Starts storing what is pending, such as the records an earlier run left.
    void storePending();
    // Starts storing and blocks until nothing is pending or `timeoutMs` has
    // passed (for the end of the program, benchmarks and tests); true when
    // nothing is pending.
    bool waitUntilStored(int timeoutMs) const;
    int pendingCount() const;

    static QString pendingFilePath(const QString& databasePath);

Q_SIGNALS:
    // A record could not be stored right away and will be stored later;
    // once until every pending record is stored.
    void recordDeferred(const QString& message);
    // The pending file refused a record, which now lives in memory only
    // until the database takes it; once per session, naming file and reason.
    void recordsUnsaved(const QString& message);
    // The database was damaged: it is kept at `asidePath` and a fresh one
    // holds the records from now on.
    void damagedDatabaseReplaced(const QString& asidePath);

private:
    const RegistryStore& m_registry;
    std::unique_ptr<PendingRecords> m_pending;
    QThread m_thread;
    RecordStoreWorker* m_worker; // lives on m_thread, deleted when it finishes
    bool m_toldUnsaved = false;
};

} // namespace melvanta
