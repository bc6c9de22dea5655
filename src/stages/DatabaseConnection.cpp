#include "stages/DatabaseConnection.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QUuid>

namespace melvanta {

bool withDatabase(const QString& path, const QString& connectOptions, const std::function<bool(QSqlDatabase&)>& work,
                  QString* error)
{
    const QString connection = QStringLiteral("deskdata-") + QUuid::createUuid().toString(QUuid::Id128);
    bool result = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        db.setConnectOptions(connectOptions);
        if (db.open()) {
            result = work(db);
            db.close();
        } else if (error) {
            *error = db.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return result;
}

bool inTransaction(QSqlDatabase& db, QString& error, const std::function<bool()>& work)
{
    if (!db.transaction()) {
        error = db.lastError().text();
        return false;
    }
    if (!work()) {
        db.rollback();
        return false;
    }
    if (!db.commit()) {
        error = db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}

} // namespace melvanta
