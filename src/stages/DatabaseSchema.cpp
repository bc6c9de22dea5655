#include "stages/DatabaseSchema.h"

#include "core/StageSettings.h"
#include "stages/DatabaseConnection.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace melvanta::DatabaseSchema {

QStringList deskclockColumns()
{
    QStringList columns{QStringLiteral("ID"), QStringLiteral("clockname"), QStringLiteral("movetext")};
    for (const StageField& field : stageFields())
        columns << QString::fromLatin1(field.name);
    return columns;
}

QStringList timesumColumns()
{
    return {QStringLiteral("ID"),       QStringLiteral("set_time"),   QStringLiteral("use_time"),
            QStringLiteral("out_time"), QStringLiteral("pause_time"), QStringLiteral("filename"),
            QStringLiteral("ID_auto")};
}

namespace {

QString deskclockDefinition()
{
    QStringList columns{QStringLiteral("\"ID\" INTEGER"),
                        QStringLiteral("\"clockname\" TEXT NOT NULL UNIQUE COLLATE NOCASE"),
                        QStringLiteral("\"movetext\" TEXT")};
    for (const StageField& field : stageFields()) {
        const char* type = field.kind() == FieldKind::Int16 ? "INTEGER" : "TEXT";
        columns << QStringLiteral("\"%1\" %2").arg(QLatin1String(field.name), QLatin1String(type));
    }
    return QStringLiteral("CREATE TABLE IF NOT EXISTS deskclock (%1)").arg(columns.join(QStringLiteral(", ")));
}

QString timesumDefinition()
{
    return QStringLiteral("CREATE TABLE IF NOT EXISTS timesum (\"ID\" INTEGER, \"set_time\" TEXT, \"use_time\" TEXT, "
                          "\"out_time\" TEXT, \"pause_time\" TEXT, \"filename\" TEXT, "
                          "\"ID_auto\" INTEGER PRIMARY KEY AUTOINCREMENT)");
}

} // namespace

bool createTables(QSqlDatabase& db, QSqlError* error)
{
    QSqlQuery query(db);
    const bool ok = query.exec(deskclockDefinition()) && query.exec(timesumDefinition());
    if (!ok && error)
        *error = query.lastError();
    return ok;
}

bool create(const QString& databasePath, QString* error)
{
    return withDatabase(
        databasePath, QString(),
        [&](QSqlDatabase& db) {
            QSqlError failure;
            const bool ok = createTables(db, &failure);
            if (!ok && error)
                *error = failure.text();
            return ok;
        },
        error);
}

} // namespace melvanta::DatabaseSchema
