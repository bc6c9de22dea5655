#pragma once

#include "timing/TimingRecord.h"

#include <QDateTime>
#include <QString>

namespace melvanta {

// Puts timing records into `timesum` of "DeskData.db", each on a connection
// of its own with a short busy timeout, and first makes the file usable: a
// missing or empty file, or one without `timesum`, gets both tables; a file
// SQLite calls damaged or no database is set aside under a time-stamped name
// and replaced by a fresh database. Runs on the storing thread, never on the
// clock's: a locked file costs up to the busy timeout.
class RecordDatabase
{
public:
    enum class Outcome
    {
        Stored,        // the row was added
        AlreadyStored, // a row with the record's key was there already
        Unavailable    // locked, read-only, full or otherwise refused: try again later
    };
    struct Result
    {
        Outcome outcome = Outcome::Unavailable;
        QString asidePath; // where a damaged file went during this call, if one did
        QString error;     // the database's text when unavailable
    };

    explicit RecordDatabase(QString databasePath, int busyTimeoutMs = 250);

    // Adds `record` unless a row with its key is there. `now` stamps the name
    // of a damaged file set aside.
    Result store(const TimingRecord& record, const QDateTime& now = QDateTime::currentDateTime()) const;

    // "DeskData.db.damaged-yyyyMMdd-hhmmss", with "-2", "-3" … added when
    // that name is taken.
    static QString asidePathFor(const QString& databasePath, const QDateTime& now);

    // True when SQLite calls the existing file at `databasePath` damaged or
    // no database; a missing, locked or unreadable file is not damaged.
    static bool isDamaged(const QString& databasePath);

    // Moves a damaged file aside, its journal and write-ahead log with it;
    // returns where it went, empty when it could not be moved.
    static QString setAside(const QString& databasePath, const QDateTime& now);

private:
    enum class Attempt
    {
        Inserted,
        KeyPresent,
        Refused,
        Damaged
    };
    Attempt insertOnce(const TimingRecord& record, QString* error) const;

    QString m_databasePath;
    int m_busyTimeoutMs;
};

} // namespace melvanta
