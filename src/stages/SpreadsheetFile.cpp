#include "stages/SpreadsheetFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <xlsxwriter.h>

namespace melvanta {

namespace {

const QString kCutNote = QStringLiteral("…（已截断）");

QString cellText(const QString& text, int& cutCells)
{
    if (text.size() <= kMaxCellLength)
        return text;
    ++cutCells;
    return text.left(kMaxCellLength - kCutNote.size()) + kCutNote;
}

WriteResult failed(const QString& path, const QString& reason)
{
    WriteResult result;
    result.error = QStringLiteral("无法写入 %1：%2").arg(QFileInfo(path).absoluteFilePath(), reason);
    return result;
}

// Puts `bytes` in place of `path` in one step.
WriteResult replaceFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(path, file.errorString());
    // A write the disk refuses must fail the whole file, not only its commit.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return failed(path, reason);
    }
    if (!file.commit())
        return failed(path, file.errorString());
    WriteResult result;
    result.ok = true;
    return result;
}

// The workbook's sheet itself: every cell as text, the number column as numbers.
lxw_error fillWorkbook(lxw_workbook* workbook, const ExportTable& table, const QString& sheetName, int& cutCells)
{
    const QByteArray name = sheetName.left(LXW_SHEETNAME_MAX).toUtf8();
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, name.constData());
    if (!sheet)
        return LXW_ERROR_MEMORY_MALLOC_FAILED;
    // Text cells keep "001" and "00:05:00" as they are when edited later.
    lxw_format* text = workbook_add_format(workbook);
    format_set_num_format(text, "@");
    auto writeRow = [&](lxw_row_t row, const QStringList& cells, bool titles) {
        for (int column = 0; column < cells.size(); ++column) {
            const QString& cell = cells.at(column);
            bool isNumber = false;
            const qlonglong number = cell.toLongLong(&isNumber);
            lxw_error error;
            if (!titles && column == table.numberColumn && isNumber)
                error = worksheet_write_number(sheet, row, lxw_col_t(column), double(number), nullptr);
            else
                error = worksheet_write_string(sheet, row, lxw_col_t(column),
                                               cellText(cell, cutCells).toUtf8().constData(), text);
            if (error != LXW_NO_ERROR)
                return error;
        }
        return LXW_NO_ERROR;
    };
    lxw_error error = writeRow(0, table.titles, true);
    for (int row = 0; error == LXW_NO_ERROR && row < table.rows.size(); ++row)
        error = writeRow(lxw_row_t(row + 1), table.rows.at(row), false);
    return error;
}

} // namespace

WriteResult writeWorkbook(const ExportTable& table, const QString& path, const QString& sheetName)
{
    // The workbook is built beside its place and copied in only when complete.
    QTemporaryFile part(QFileInfo(path).absoluteFilePath() + QStringLiteral(".XXXXXX.part"));
    if (!part.open())
        return failed(path, part.errorString());
    part.close();
    const QByteArray partName = QFile::encodeName(part.fileName());
    lxw_workbook* workbook = workbook_new(partName.constData());
    if (!workbook)
        return failed(path, QStringLiteral("无法创建工作簿"));
    int cutCells = 0;
    const lxw_error filled = fillWorkbook(workbook, table, sheetName, cutCells);
    // The workbook is written (and freed) only by the close; its result is the file's.
    const lxw_error closed = workbook_close(workbook);
    const lxw_error error = filled != LXW_NO_ERROR ? filled : closed;
    if (error != LXW_NO_ERROR)
        return failed(path, QString::fromUtf8(lxw_strerror(error)));
    if (!part.open())
        return failed(path, part.errorString());
    WriteResult result = replaceFile(path, part.readAll());
    result.cutCells = cutCells;
    return result;
}

QString csvLine(const QStringList& cells)
{
    QStringList quoted;
    for (const QString& cell : cells) {
        const bool needsQuotes = cell.contains(QLatin1Char(',')) || cell.contains(QLatin1Char('"')) ||
                                 cell.contains(QLatin1Char('\r')) || cell.contains(QLatin1Char('\n'));
        if (!needsQuotes) {
            quoted << cell;
            continue;
        }
        QString escaped = cell;
        escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        quoted << QLatin1Char('"') + escaped + QLatin1Char('"');
    }
    return quoted.join(QLatin1Char(','));
}

WriteResult writeCsv(const ExportTable& table, const QString& path)
{
    QByteArray bytes("\xEF\xBB\xBF");
    bytes += csvLine(table.titles).toUtf8() + "\r\n";
    for (const QStringList& row : table.rows)
        bytes += csvLine(row).toUtf8() + "\r\n";
    return replaceFile(path, bytes);
}

} // namespace melvanta
