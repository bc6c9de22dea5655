#include "stages/StageDatabase.h"

#include "stages/DatabaseSchema.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace melvanta {

namespace {

const QString kReadOnly = QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000");
const QString kReadWrite = QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000");

QString queryError(const QSqlQuery& query)
{
    return query.lastError().text();
}

// Sets every listed stage's ID to its place in `ids`, 1-based, inside the
// caller's transaction. The IDs go through negative values first, so that no
// two stages ever share one, even for a moment.
bool numberInOrder(QSqlDatabase& db, const QList<int>& ids, QString& error)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("UPDATE deskclock SET ID = ? WHERE ID = ?"));
    for (int k = 0; k < ids.size(); ++k) {
        query.addBindValue(-(k + 1));
        query.addBindValue(ids.at(k));
        if (!query.exec()) {
            error = queryError(query);
            return false;
        }
    }
    if (!query.exec(QStringLiteral("UPDATE deskclock SET ID = -ID WHERE ID < 0"))) {
        error = queryError(query);
        return false;
    }
    return true;
}

std::optional<QList<int>> orderedIds(QSqlDatabase& db, QString& error)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT ID FROM deskclock ORDER BY ID ASC, rowid ASC"))) {
        error = queryError(query);
        return std::nullopt;
    }
    QList<int> ids;
    while (query.next())
        ids << query.value(0).toInt();
    return ids;
}

// Puts IDs that are not 1 … n right by the order of the rows (rowid breaks
// ties between equal IDs).
bool repairIds(QSqlDatabase& db, QString& error)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT rowid FROM deskclock ORDER BY ID ASC, rowid ASC"))) {
        error = queryError(query);
        return false;
    }
    QList<qint64> rowids;
    while (query.next())
        rowids << query.value(0).toLongLong();
    return inTransaction(db, error, [&] {
        QSqlQuery update(db);
        update.prepare(QStringLiteral("UPDATE deskclock SET ID = ? WHERE rowid = ?"));
        for (int k = 0; k < rowids.size(); ++k) {
            update.addBindValue(k + 1);
            update.addBindValue(rowids.at(k));
            if (!update.exec()) {
                error = queryError(update);
                return false;
            }
        }
        return true;
    });
}

// Whether a stage has `name`, without regard to blanks around it or letter case.
bool isNameTaken(QSqlDatabase& db, const QString& name, bool& taken, QString& error)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT 1 FROM deskclock WHERE trim(clockname) = ? COLLATE NOCASE LIMIT 1"));
    query.addBindValue(storedStageName(name));
    if (!query.exec()) {
        error = queryError(query);
        return false;
    }
    taken = query.next();
    return true;
}

bool isLongTermOff(const QString& storedDate)
{
    return parseStoredDate(storedDate) == QDate(2000, 1, 1);
}

} // namespace

StageDatabase::StageDatabase(QString databasePath) : m_path(std::move(databasePath))
{}

bool StageDatabase::fileExists() const
{
    return QFileInfo(m_path).isFile();
}

bool StageDatabase::run(bool readOnly, const std::function<bool(QSqlDatabase&)>& work)
{
    m_error.clear();
    if (!fileExists()) {
        m_error = QStringLiteral("%1 不存在").arg(m_path);
        return false;
    }
    QString openError;
    const bool ok = withDatabase(m_path, readOnly ? kReadOnly : kReadWrite, work, &openError);
    if (!ok && m_error.isEmpty())
        m_error = openError;
    return ok;
}

std::optional<QList<StageRow>> StageDatabase::list()
{
    QList<StageRow> rows;
    const bool ok = run(false, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("SELECT ID, clockname, movetext FROM deskclock ORDER BY ID ASC, rowid ASC"))) {
            m_error = queryError(query);
            return false;
        }
        bool inOrder = true;
        while (query.next()) {
            StageRow row{query.value(0).toInt(), query.value(1).toString(), query.value(2).toString()};
            inOrder = inOrder && row.id == rows.size() + 1;
            rows << row;
        }
        query.finish();
        // A file that cannot be written still lists, with the IDs it has.
        if (!inOrder && repairIds(db, m_error)) {
            for (int k = 0; k < rows.size(); ++k)
                rows[k].id = k + 1;
        }
        return true;
    });
    if (!ok)
        return std::nullopt;
    return rows;
}

std::optional<bool> StageDatabase::nameExists(const QString& name)
{
    bool found = false;
    const bool ok = run(true, [&](QSqlDatabase& db) { return isNameTaken(db, name, found, m_error); });
    if (!ok)
        return std::nullopt;
    return found;
}

StageDatabase::Added StageDatabase::add(const QString& name, const QString& movetext, const StageSettings& stage,
                                        int* newId)
{
    Added outcome = Added::Failed;
    run(false, [&](QSqlDatabase& db) {
        return inTransaction(db, m_error, [&] {
            bool taken = false;
            if (!isNameTaken(db, name, taken, m_error))
                return false;
            if (taken) {
                outcome = Added::NameTaken;
                return false;
            }
            QSqlQuery query(db);
            if (!query.exec(QStringLiteral("SELECT COALESCE(MAX(ID), 0) + 1 FROM deskclock")) || !query.next()) {
                m_error = queryError(query);
                return false;
            }
            const int id = query.value(0).toInt();
            const QStringList columns = DatabaseSchema::deskclockColumns();
            QStringList quoted, marks;
            for (const QString& column : columns) {
                quoted << QLatin1Char('"') + column + QLatin1Char('"');
                marks << QStringLiteral("?");
            }
            QSqlQuery insert(db);
            insert.prepare(QStringLiteral("INSERT INTO deskclock (%1) VALUES (%2)")
                               .arg(quoted.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
            insert.addBindValue(id);
            insert.addBindValue(storedStageName(name));
            insert.addBindValue(movetext);
            for (const StageField& field : stageFields())
                insert.addBindValue(fieldText(stage, field));
            if (!insert.exec()) {
                m_error = queryError(insert);
                return false;
            }
            if (newId)
                *newId = id;
            outcome = Added::Added;
            return true;
        });
    });
    return outcome;
}

StageDatabase::Loaded StageDatabase::load(int id, StoredStage& stage)
{
    Loaded outcome = Loaded::Failed;
    run(true, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("SELECT * FROM deskclock WHERE ID = ? ORDER BY rowid ASC LIMIT 1"));
        query.addBindValue(id);
        if (!query.exec()) {
            m_error = queryError(query);
            return false;
        }
        if (!query.next()) {
            outcome = Loaded::NotFound;
            return true;
        }
        const QSqlRecord record = query.record();
        if (record.count() != DatabaseSchema::deskclockColumns().size()) {
            outcome = Loaded::Incomplete;
            return true;
        }
        StoredStage loaded{StageSettings::defaults(), QString()};
        loaded.movetext = query.value(record.indexOf(QStringLiteral("movetext"))).toString();
        for (const StageField& field : stageFields()) {
            const int column = record.indexOf(QString::fromLatin1(field.name));
            if (column >= 0 && !query.isNull(column))
                setFieldFromText(loaded.settings, field, query.value(column).toString());
        }
        stage = loaded;
        outcome = Loaded::Loaded;
        return true;
    });
    return outcome;
}

bool StageDatabase::reorder(const QList<int>& ids)
{
    return run(false, [&](QSqlDatabase& db) {
        return inTransaction(db, m_error, [&] {
            const std::optional<QList<int>> stored = orderedIds(db, m_error);
            if (!stored)
                return false;
            QList<int> given = ids, present = *stored;
            std::sort(given.begin(), given.end());
            if (given != present) {
                m_error = QStringLiteral("阶段列表已被其他程序修改");
                return false;
            }
            return numberInOrder(db, ids, m_error);
        });
    });
}

bool StageDatabase::remove(const QList<int>& ids)
{
    return run(false, [&](QSqlDatabase& db) {
        return inTransaction(db, m_error, [&] {
            QSqlQuery query(db);
            query.prepare(QStringLiteral("DELETE FROM deskclock WHERE ID = ?"));
            for (int id : ids) {
                query.addBindValue(id);
                if (!query.exec()) {
                    m_error = queryError(query);
                    return false;
                }
            }
            const std::optional<QList<int>> rest = orderedIds(db, m_error);
            return rest && numberInOrder(db, *rest, m_error);
        });
    });
}

std::optional<QList<QStringList>> StageDatabase::exportRows()
{
    QList<QStringList> rows;
    const bool ok = run(true, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral(
                "SELECT ID, clockname, movetext, Time_all, time_date FROM deskclock ORDER BY ID ASC, rowid ASC"))) {
            m_error = queryError(query);
            return false;
        }
        while (query.next()) {
            const QString date = query.value(4).toString();
            rows << QStringList{query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                                query.value(3).toString(), isLongTermOff(date) ? QString() : date};
        }
        return true;
    });
    if (!ok)
        return std::nullopt;
    return rows;
}

double StageNameWidth(const QString& name)
{
    double width = 0;
    for (const QChar c : name) {
        const bool narrow = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                            (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                            (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.');
        width += narrow ? 0.5 : 1.0;
    }
    return width;
}

QString storedStageName(const QString& name)
{
    return name.trimmed();
}

bool stageNameHasBreaks(const QString& name)
{
    return name.contains(QLatin1Char('\t')) || name.contains(QLatin1Char('\r')) || name.contains(QLatin1Char('\n'));
}

} // namespace melvanta
