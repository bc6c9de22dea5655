#include "timing/TimingRecordWriter.h"

#include "stages/DatabaseConnection.h"
#include "storage/RegistryStore.h"
#include "timing/TimeText.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <utility>

namespace melvanta {

namespace {

constexpr qint64 SecondsPerDay = 86400;

// Whole seconds of a millisecond total, a half rounding to the even second
// (1500 ms is 2 s, 2500 ms is 2 s too). A negative total counts as 0.
qint64 roundedSeconds(qint64 milliseconds)
{
    if (milliseconds <= 0)
        return 0;
    qint64 seconds = milliseconds / 1000;
    const qint64 rest = milliseconds % 1000;
    if (rest > 500 || (rest == 500 && seconds % 2 != 0))
        ++seconds;
    return seconds;
}

// A millisecond total as a time of day "hh:mm:ss". The columns hold times of
// day, so totals of 24 hours or more wrap round (25 h 1 min is 01:01:00); a
// stage's duration is itself below a day, only long overtime or pauses reach it.
QString totalText(qint64 milliseconds)
{
    const int seconds = static_cast<int>(roundedSeconds(milliseconds) % SecondsPerDay);
    return SecondsToTime(seconds).toString(QStringLiteral("hh:mm:ss"));
}

// Appends one row; false on any database error (locked, damaged, not a
// database, read-only, no `timesum`).
bool insertRow(const QString& databasePath, const RunState& state, const QString& label)
{
    // The records window or another copy of the program may hold the file;
    // waiting longer than this would stall the clock at the end of a run.
    return withDatabase(databasePath, QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000"), [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        // `ID` stays empty and `ID_auto` is numbered by the database.
        if (!query.prepare(QStringLiteral("INSERT INTO timesum (set_time, use_time, out_time, pause_time, filename) "
                                          "VALUES (?, ?, ?, ?, ?)")))
            return false;
        query.addBindValue(state.setDuration);
        query.addBindValue(totalText(state.accumulatedMs[1]));
        query.addBindValue(totalText(state.accumulatedMs[2]));
        query.addBindValue(totalText(state.accumulatedMs[3]));
        query.addBindValue(label);
        return query.exec();
    });
}

} // namespace

TimingRecordWriter::TimingRecordWriter(const RegistryStore& registry, QString databasePath)
    : m_registry(registry), m_databasePath(std::move(databasePath))
{}

bool TimingRecordWriter::WriteTimingRecord(RunState& state, const QDateTime& now)
{
    if (m_registry.number(QString::fromLatin1(RegistryValue::Time_Record), 0) == 0)
        return false;
    // Opening a missing file would create an empty database; the row is
    // dropped instead.
    if (!QFileInfo(m_databasePath).isFile())
        return false;

    const QString label =
        state.stageLabel.isEmpty() ? now.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) : state.stageLabel;
    if (!insertRow(m_databasePath, state, label))
        return false;
    // The first record of a session names the stage by its time; later
    // records keep that name.
    state.stageLabel = label;
    return true;
}

} // namespace melvanta
