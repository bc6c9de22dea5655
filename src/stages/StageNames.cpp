#include "stages/StageNames.h"

#include "stages/DatabaseConnection.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace melvanta {

QStringList readStageNames(const QString& databasePath)
{
    QStringList names;
    if (!QFileInfo(databasePath).isFile())
        return names;
    withDatabase(databasePath, QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=1000"),
                 [&](QSqlDatabase& db) {
                     QSqlQuery query(db);
                     if (!query.exec(QStringLiteral("select clockname from deskclock order by ID ASC")))
                         return false;
                     while (query.next())
                         names << query.value(0).toString();
                     return true;
                 });
    return names;
}

} // namespace melvanta
