#include "stages/StageNames.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>

namespace melvanta {

QStringList readStageNames(const QString& databasePath)
{
    QStringList names;
    if (!QFileInfo(databasePath).isFile())
        return names;
    const QString connection = QStringLiteral("stagenames-") + QUuid::createUuid().toString(QUuid::Id128);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(databasePath);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=1000"));
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("select clockname from deskclock order by ID ASC"))) {
                while (query.next())
                    names << query.value(0).toString();
            }
            query.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return names;
}

} // namespace melvanta
