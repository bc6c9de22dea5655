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

} // namespace melvanta
