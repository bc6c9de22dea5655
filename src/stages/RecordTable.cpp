#include "stages/RecordTable.h"

#include "core/StageSettings.h"
#include "stages/DatabaseConnection.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace melvanta {

RecordTable::RecordTable(QString databasePath) : m_path(std::move(databasePath))
{}

bool RecordTable::fileExists() const
{
    return QFileInfo(m_path).isFile();
}

std::optional<QList<RecordRow>> RecordTable::read()
{
    m_error.clear();
    if (!fileExists())
        return std::nullopt;
    QList<RecordRow> rows;
    const bool ok = withDatabase(
        m_path, QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"),
        [&](QSqlDatabase& db) {
            QSqlQuery query(db);
            query.setForwardOnly(true);
            if (!query.exec(QStringLiteral("SELECT set_time, use_time, out_time, pause_time, filename, ID_auto "
                                           "FROM timesum ORDER BY ID_auto ASC"))) {
                m_error = query.lastError().text();
                return false;
            }
            while (query.next())
                rows << RecordRow{query.value(5).toLongLong(), query.value(0).toString(), query.value(1).toString(),
                                  query.value(2).toString(),   query.value(3).toString(), query.value(4).toString()};
            return true;
        },
        &m_error);
    if (!ok)
        return std::nullopt;
    return rows;
}

bool RecordTable::remove(const QList<qint64>& idAutos)
{
    m_error.clear();
    if (!fileExists())
        return false;
    return withDatabase(
        m_path, QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"),
        [&](QSqlDatabase& db) {
            return inTransaction(db, m_error, [&] {
                QSqlQuery query(db);
                query.prepare(QStringLiteral("DELETE FROM timesum WHERE ID_auto = ?"));
                for (qint64 id : idAutos) {
                    query.addBindValue(id);
                    if (!query.exec()) {
                        m_error = query.lastError().text();
                        return false;
                    }
                }
                return true;
            });
        },
        &m_error);
}

qint64 recordSeconds(const QString& stored)
{
    static const QRegularExpression duration(QStringLiteral("^\\s*(\\d{1,7}):(\\d{1,2}):(\\d{1,2})\\s*$"));
    const QRegularExpressionMatch match = duration.match(stored);
    if (match.hasMatch()) {
        const int minutes = match.captured(2).toInt(), seconds = match.captured(3).toInt();
        if (minutes < 60 && seconds < 60)
            return match.captured(1).toLongLong() * 3600 + minutes * 60 + seconds;
        return -1;
    }
    const QTime time = parseStoredTime(stored);
    return time.isValid() ? time.msecsSinceStartOfDay() / 1000 : -1;
}

QString recordTimeText(const QString& stored, int hourDigits)
{
    const qint64 seconds = recordSeconds(stored);
    if (seconds < 0)
        return stored;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, hourDigits, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QStringList recordFields(const RecordRow& row, int position)
{
    return {QStringLiteral("%1").arg(position, 3, 10, QLatin1Char('0')),
            recordTimeText(row.setTime, 2),
            recordTimeText(row.useTime, 2),
            recordTimeText(row.outTime, 1),
            recordTimeText(row.pauseTime, 1),
            row.filename};
}

ExportTable recordsExportTable(const QList<RecordRow>& rows)
{
    ExportTable table;
    table.titles = QStringList{QStringLiteral("序号"),     QStringLiteral("设置时间"), QStringLiteral("实用时间"),
                               QStringLiteral("超时时间"), QStringLiteral("暂停时间"), QStringLiteral("阶段")};
    table.numberColumn = 0;
    table.rows.reserve(rows.size());
    for (int k = 0; k < rows.size(); ++k) {
        QStringList fields = recordFields(rows.at(k), k + 1);
        fields[0] = QString::number(k + 1);
        table.rows << fields;
    }
    return table;
}

int columnGap(const std::function<int(const QString&)>& textWidth, int listWidth)
{
    QString sample = QStringLiteral("001 03:00:00 03:00:00 3:00:00 3:00:00 1234.ppt");
    int k = 2;
    for (; k <= 50; ++k) {
        if (textWidth(sample) >= listWidth)
            break;
        sample += QStringLiteral("     ");
    }
    return k - 1;
}

int rowAfterDelete(int lastSelected, int deleted, int remaining)
{
    if (remaining <= 0)
        return -1;
    return qBound(0, lastSelected - deleted, remaining - 1);
}

} // namespace melvanta
