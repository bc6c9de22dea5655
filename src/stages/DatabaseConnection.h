#pragma once

#include <QString>

#include <functional>

class QSqlDatabase;

namespace melvanta {

// Every database operation opens "DeskData.db" on a connection of its own
// and closes it again, so the records window, the writer and other copies of
// the program can take turns with the file. Runs `work` on the open database
// and returns its result; false when the file cannot be opened, with `error`
// set when asked for.
bool withDatabase(const QString& path, const QString& connectOptions, const std::function<bool(QSqlDatabase&)>& work,
                  QString* error = nullptr);

// Runs `work` in a transaction that is committed only when it returns true;
// otherwise, or when the commit fails, everything it did is rolled back.
// `error` receives the database's text of a failed begin or commit.
bool inTransaction(QSqlDatabase& db, QString& error, const std::function<bool()>& work);

} // namespace melvanta
