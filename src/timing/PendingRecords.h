#pragma once

#include "timing/TimingRecord.h"

#include <QList>
#include <QMutex>
#include <QString>
#include <QWaitCondition>

#include <optional>

namespace melvanta {

// The timing records accepted but not yet in the database, oldest first, kept
// in memory and in a file beside the database, so that a crash or a power cut
// loses none of them. The file is rewritten whole and atomically at every
// change (one UTF-8 JSON line per record) and removed when nothing is left.
// The clock's thread adds records while the storing thread takes them off.
class PendingRecords
{
public:
    // Reads what an earlier run of the program left in `filePath`.
    explicit PendingRecords(QString filePath);
    PendingRecords(const PendingRecords&) = delete;
    PendingRecords& operator=(const PendingRecords&) = delete;

    QString filePath() const { return m_filePath; }

    // Adds `record` at the end. True when the file holds it; when the file
    // cannot be written (disk full, read-only folder) the record is still
    // kept in memory, the file is written again at the next change, and
    // `error` (when given) says why.
    bool append(const TimingRecord& record, QString* error = nullptr);
    // The oldest record, nothing when none is pending.
    std::optional<TimingRecord> first() const;
    // Takes the record with `key` off, once it is in the database.
    void remove(qint64 key);
    // Writes the file again when an earlier write failed.
    void saveIfUnsaved();

    int count() const;
    // How many pending records live in memory only, as the file could not
    // be written since the last change (0 while the file holds them all).
    int unsavedCount() const;
    // Blocks until no record is pending or `timeoutMs` has passed; true when
    // none is pending.
    bool waitUntilEmpty(int timeoutMs) const;

private:
    void load();
    bool save(QString* error = nullptr); // with m_mutex held

    const QString m_filePath;
    mutable QMutex m_mutex;
    mutable QWaitCondition m_emptied;
    QList<TimingRecord> m_records;
    bool m_saved = true;
};

} // namespace melvanta
