#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace melvanta {

// A table to export: the title row, then one row per entry. Every cell is
// text, except the cells of `numberColumn` (-1: none) that read as whole numbers.
struct ExportTable
{
    QStringList titles;
    QList<QStringList> rows;
    int numberColumn = -1;
};

// What writing a file came to.
struct WriteResult
{
    bool ok = false;
    QString error;    // why it failed, for the operator
    int cutCells = 0; // cells cut to the spreadsheet's 32,767 characters
};

// The longest cell a workbook holds; longer cells are cut and end in a note.
inline constexpr int kMaxCellLength = 32767;

// Writes the table as an .xlsx workbook with one sheet (its name cut to 31
// characters). The file at `path` is replaced only once the whole workbook
// is written; a failure leaves an earlier file as it was.
WriteResult writeWorkbook(const ExportTable& table, const QString& path, const QString& sheetName);

// Writes the table as CSV (RFC 4180: cells quoted where they hold a comma, a
// quote or a line break, CR LF between rows) in UTF-8 with a byte-order mark,
// replacing `path` atomically.
WriteResult writeCsv(const ExportTable& table, const QString& path);
// One row of that file, without the line end.
QString csvLine(const QStringList& cells);

} // namespace melvanta
