#pragma once

#include "stages/SpreadsheetFile.h"

#include <QString>

class QWidget;

namespace melvanta {

// Exports a table as the operator asks: a save chooser (the documents folder,
// "sheet1.xlsx", .xlsx or .csv), the file written (a CSV beside it when the
// workbook cannot be), opened with the desktop's default application, and a
// notice that says where it is. Returns the path written, empty when nothing
// was (no rows, cancelled, or the write failed: a message said why).
QString exportTable(const ExportTable& table, const QString& sheetName, QWidget* parent = nullptr);

// Where a CSV goes when the workbook at `workbookPath` could not be written:
// the same name ending ".csv", numbered " (2)", " (3)" … so that no file the
// operator did not choose is replaced.
QString fallbackCsvPath(const QString& workbookPath);

} // namespace melvanta
