#include "support/TableExport.h"

#include "support/Choosers.h"
#include "support/MessageBox.h"
#include "support/ShellOpen.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace melvanta {

namespace {

const QString kWorkbookFilter = QStringLiteral("Excel 工作簿 (*.xlsx)");
const QString kCsvFilter = QStringLiteral("CSV 文件 (*.csv)");
constexpr int kNoticeMs = 5000;

bool isCsvPath(const QString& path)
{
    return path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
}

// The chosen name with the extension its filter stands for, unless it has one.
QString withExtension(const QString& path, const QString& filter)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("xlsx") || suffix == QLatin1String("csv"))
        return path;
    return path + (filter == kCsvFilter ? QStringLiteral(".csv") : QStringLiteral(".xlsx"));
}

} // namespace

QString fallbackCsvPath(const QString& workbookPath)
{
    const QFileInfo info(workbookPath);
    const QString base = info.absolutePath() + QLatin1Char('/') + info.completeBaseName();
    QString path = base + QStringLiteral(".csv");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QStringLiteral("%1 (%2).csv").arg(base).arg(n);
    return path;
}

QString exportTable(const ExportTable& table, const QString& sheetName, QWidget* parent)
{
    if (table.rows.isEmpty()) {
        MessageBox::inform(QStringLiteral("没有要导出的数据"), parent);
        return QString();
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString filter;
    const QString chosen =
        Choosers::chooseSaveFile(QStringLiteral("导出"), QDir(documents).filePath(sheetName + QStringLiteral(".xlsx")),
                                 {kWorkbookFilter, kCsvFilter}, &filter, parent);
    if (chosen.isEmpty())
        return QString();
    QString path = withExtension(chosen, filter);
    WriteResult result;
    QString fallbackNote;
    if (isCsvPath(path)) {
        result = writeCsv(table, path);
    } else {
        result = writeWorkbook(table, path, sheetName);
        if (!result.ok) {
            const QString csv = fallbackCsvPath(path);
            fallbackNote = QStringLiteral("无法写入工作簿（%1），已改为导出.csv文件。\n").arg(result.error);
            result = writeCsv(table, csv);
            path = csv;
        }
    }
    if (!result.ok) {
        MessageBox::inform(fallbackNote + QStringLiteral("导出失败：") + result.error, parent,
                           MessageBox::Icon::Exclamation);
        return QString();
    }
    QString notice = fallbackNote + QStringLiteral("已导出到 ") + QDir::toNativeSeparators(path);
    if (result.cutCells > 0)
        notice += QStringLiteral("\n%1 个单元格超过 %2 个字符，已截断").arg(result.cutCells).arg(kMaxCellLength);
    if (!OpenWithShell(path))
        notice += QStringLiteral("\n没有可打开此文件的程序，请到该文件夹中查看");
    MessageBox::notice(notice, kNoticeMs, parent);
    return path;
}

} // namespace melvanta
