#include "timing/RecordDatabase.h"

#include "stages/DatabaseConnection.h"
#include "stages/DatabaseSchema.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <utility>

namespace melvanta {

namespace {

// SQLite's primary result codes for a file that is not a usable database.
// Busy (5), locked (6), read-only (8), I/O error (10), full (13) and
// cannot-open (14) pass with time or the operator's help.
constexpr int SqliteCorrupt = 11;
constexpr int SqliteNotADatabase = 26;

bool isDamage(const QSqlError& error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff; // an extended code keeps its primary code low
    return ok && (code == SqliteCorrupt || code == SqliteNotADatabase);
}

// The files SQLite may keep beside a database: a write-ahead log or journal
// of the damaged file must go with it and never meet the fresh one.
const char* const kCompanionSuffixes[] = {"-journal", "-wal", "-shm"};

} // namespace

RecordDatabase::RecordDatabase(QString databasePath, int busyTimeoutMs)
    : m_databasePath(std::move(databasePath)), m_busyTimeoutMs(busyTimeoutMs)
{}

RecordDatabase::Result RecordDatabase::store(const TimingRecord& record, const QDateTime& now) const
{
    Result result;
    Attempt attempt = insertOnce(record, &result.error);
    if (attempt == Attempt::Damaged) {
        result.asidePath = setAside(m_databasePath, now);
        if (result.asidePath.isEmpty()) {
            result.error = QStringLiteral("the damaged database cannot be moved aside");
            return result;
        }
        attempt = insertOnce(record, &result.error);
    }
    if (attempt == Attempt::Inserted)
        result.outcome = Outcome::Stored;
    else if (attempt == Attempt::KeyPresent)
        result.outcome = Outcome::AlreadyStored;
    return result;
}

RecordDatabase::Attempt RecordDatabase::insertOnce(const TimingRecord& record, QString* error) const
{
    Attempt attempt = Attempt::Refused;
    QSqlError failure;
    // Opening a missing file creates it empty; the tables follow below.
    const QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_busyTimeoutMs);
    withDatabase(
        m_databasePath, options,
        [&](QSqlDatabase& db) {
            QSqlQuery query(db);
            if (!query.exec(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'timesum'"))) {
                failure = query.lastError();
                return false;
            }
            const bool hasTable = query.next();
            query.finish();
            if (!hasTable && !DatabaseSchema::createTables(db, &failure))
                return false;
            // One statement, so the check and the insert see the same database.
            if (!query.prepare(QStringLiteral("INSERT INTO timesum (ID, set_time, use_time, out_time, pause_time, "
                                              "filename) SELECT ?, ?, ?, ?, ?, ? "
                                              "WHERE NOT EXISTS (SELECT 1 FROM timesum WHERE ID = ?)"))) {
                failure = query.lastError();
                return false;
            }
            query.addBindValue(record.key);
            query.addBindValue(record.setTime);
            query.addBindValue(record.useTime);
            query.addBindValue(record.outTime);
            query.addBindValue(record.pauseTime);
            query.addBindValue(record.filename);
            query.addBindValue(record.key);
            if (!query.exec()) {
                failure = query.lastError();
                return false;
            }
            attempt = query.numRowsAffected() > 0 ? Attempt::Inserted : Attempt::KeyPresent;
            return true;
        },
        error);
    if (failure.isValid()) {
        if (error)
            *error = failure.text();
        if (isDamage(failure))
            return Attempt::Damaged;
    }
    return attempt;
}

QString RecordDatabase::asidePathFor(const QString& databasePath, const QDateTime& now)
{
    const QString base = databasePath + QStringLiteral(".damaged-") + now.toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString path = base;
    for (int n = 2; QFile::exists(path); ++n)
        path = base + QLatin1Char('-') + QString::number(n);
    return path;
}

bool RecordDatabase::isDamaged(const QString& databasePath)
{
    if (!QFileInfo(databasePath).isFile())
        return false;
    QSqlError failure;
    bool checkFailed = false;
    // Read-only, so that looking never creates or changes anything.
    withDatabase(databasePath, QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=250"), [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next()) {
            failure = query.lastError();
            return false;
        }
        checkFailed = query.value(0).toString() != QLatin1String("ok");
        return true;
    });
    return checkFailed || isDamage(failure);
}

QString RecordDatabase::setAside(const QString& databasePath, const QDateTime& now)
{
    const QString aside = asidePathFor(databasePath, now);
    // The companions go first: a fresh database must never find the old one's journal.
    for (const char* suffix : kCompanionSuffixes) {
        const QString companion = databasePath + QLatin1String(suffix);
        if (QFile::exists(companion) && !QFile::rename(companion, aside + QLatin1String(suffix)))
            return QString();
    }
    if (!QFile::rename(databasePath, aside))
        return QString();
    qWarning("the damaged database %s was kept as %s and replaced by a fresh one", qPrintable(databasePath),
             qPrintable(aside));
    return aside;
}

} // namespace melvanta
