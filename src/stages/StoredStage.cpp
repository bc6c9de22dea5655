#include "stages/StoredStage.h"

#include "stages/DatabaseConnection.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>

namespace melvanta {

std::optional<StoredStage> loadStoredStage(const QString& databasePath, const QString& name)
{
    if (!QFileInfo(databasePath).isFile())
        return std::nullopt;
    std::optional<StoredStage> found;
    withDatabase(databasePath, QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=1000"),
                 [&](QSqlDatabase& db) {
                     QSqlQuery query(db);
                     query.prepare(QStringLiteral("select * from deskclock where clockname = ? order by ID ASC"));
                     query.addBindValue(name);
                     if (!query.exec() || !query.next())
                         return false;
                     StoredStage stage{StageSettings::defaults(), QString()};
                     const QSqlRecord record = query.record();
                     stage.movetext = query.value(record.indexOf(QStringLiteral("movetext"))).toString();
                     for (const StageField& field : stageFields()) {
                         const int column = record.indexOf(QString::fromLatin1(field.name));
                         if (column >= 0 && !query.isNull(column))
                             setFieldFromText(stage.settings, field, query.value(column).toString());
                     }
                     found = stage;
                     return true;
                 });
    return found;
}

} // namespace melvanta
