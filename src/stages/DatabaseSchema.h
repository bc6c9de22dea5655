#pragma once

#include <QString>
#include <QStringList>

class QSqlDatabase;
class QSqlError;

namespace melvanta {

// The stage and record database "DeskData.db" (SQLite).
//   deskclock: ID, clockname (unique), movetext, then the 51 stage fields;
//   timesum:   ID (unused), set_time, use_time, out_time, pause_time,
//              filename, ID_auto (the automatic key).
namespace DatabaseSchema {

// The 54 column names of `deskclock` in their order.
QStringList deskclockColumns();
// The 7 column names of `timesum` in their order.
QStringList timesumColumns();

// Creates the file with both tables when they are missing; an existing
// database keeps its rows. False with `error` set when that fails.
bool create(const QString& databasePath, QString* error = nullptr);

// The same on a connection the caller has opened (with its own busy timeout);
// `error` keeps the database's error code for telling a locked file from a
// damaged one.
bool createTables(QSqlDatabase& db, QSqlError* error = nullptr);

} // namespace DatabaseSchema
} // namespace melvanta
