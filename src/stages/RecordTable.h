#pragma once

#include "stages/SpreadsheetFile.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace melvanta {

// One row of `timesum` as the records window lists it.
struct RecordRow
{
    qint64 idAuto = 0;
    QString setTime, useTime, outTime, pauseTime, filename;
};

// The records in "DeskData.db", oldest first, and their deletion. Each call
// opens its own connection; a delete of several records is one transaction.
class RecordTable
{
public:
    explicit RecordTable(QString databasePath);

    bool fileExists() const;
    QString lastError() const { return m_error; }

    // Nothing when the file is missing or cannot be read.
    std::optional<QList<RecordRow>> read();
    bool remove(const QList<qint64>& idAutos);

private:
    QString m_path;
    QString m_error;
};

// Whole seconds of a stored time ("hh:mm:ss" with any number of hours, or an
// older time-of-day form); -1 for a text that is not a time.
qint64 recordSeconds(const QString& stored);
// A stored time as the list shows it: "hh:mm:ss" (`hourDigits` 2) or
// "h:mm:ss" (1), hours beyond 23 as they are. A text that is not a time is
// shown as it stands, so that nothing is hidden.
QString recordTimeText(const QString& stored, int hourDigits);
// The six fields of the list row at `position` (1-based): "001", set time,
// time used, overtime, paused time, stage.
QStringList recordFields(const RecordRow& row, int position);
// The records for export: the titles 序号 … 阶段 and one row per record, 序号 a number.
ExportTable recordsExportTable(const QList<RecordRow>& rows);

// The blanks between the fields of a list row: a sample row is widened by
// five blanks at a time until it fills `listWidth`; 1 to 50.
int columnGap(const std::function<int(const QString&)>& textWidth, int listWidth);
// The row to select after deleting `deleted` rows whose last was at
// `lastSelected` (0-based), with `remaining` rows left; -1 when none remain.
int rowAfterDelete(int lastSelected, int deleted, int remaining);

} // namespace melvanta
