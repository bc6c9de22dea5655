#include "TestSupport.h"
#include "Unwritable.h"
#include "stages/SpreadsheetFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

using namespace melvanta;

namespace {

// The file as Python's zipfile/xml or csv modules read it.
QJsonObject readBack(const QString& path)
{
    QProcess reader;
    reader.start(QStringLiteral("python3"), {QStringLiteral(MELVANTA_TEST_DIR "/read_table.py"), path});
    if (!reader.waitForFinished(30000) || reader.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
}

QList<QStringList> rowsOf(const QJsonObject& table)
{
    QList<QStringList> rows;
    for (const QJsonValue& row : table.value(QStringLiteral("rows")).toArray()) {
        QStringList cells;
        for (const QJsonValue& cell : row.toArray())
            cells << cell.toString();
        rows << cells;
    }
    return rows;
}

ExportTable recordsTable()
{
    ExportTable table;
    table.titles = QStringList{"序号", "设置时间", "实用时间", "超时时间", "暂停时间", "阶段"};
    table.rows << QStringList{"1", "00:05:00", "00:05:03", "0:00:03", "0:00:00", "开场, \"致辞\"\n第二行"};
    table.rows << QStringList{"2", "25:00:00", "25:00:00", "0:00:00", "1:02:03", "O'Brien"};
    table.numberColumn = 0;
    return table;
}

} // namespace

// Exported files read back by another program: every cell the same, times
// as text, 序号 as a number, CSV quoted, and a failed write that keeps the
// earlier file.
class TestSpreadsheetFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void workbookReadsBackCellForCell()
    {
        TestSandbox sandbox;
        const QString path = sandbox.filePath(QStringLiteral("sheet1.xlsx"));
        const ExportTable table = recordsTable();
        const WriteResult result = writeWorkbook(table, path, QStringLiteral("sheet1"));
        QVERIFY2(result.ok, qPrintable(result.error));
        const QJsonObject back = readBack(path);
        QCOMPARE(back.value(QStringLiteral("sheets")).toArray(), QJsonArray({"sheet1"}));
        QList<QStringList> expected{table.titles};
        expected << table.rows;
        QCOMPARE(rowsOf(back), expected);
        // Only 序号 below the titles is a number; "00:05:00" stays text.
        const QJsonArray kinds = back.value(QStringLiteral("kinds")).toArray();
        QCOMPARE(kinds.at(0).toArray().at(0).toString(), QStringLiteral("s"));
        QCOMPARE(kinds.at(1).toArray(), QJsonArray({"n", "s", "s", "s", "s", "s"}));
        // No part file is left beside it.
        QCOMPARE(QDir(sandbox.programFolder()).entryList(QDir::Files), QStringList{"sheet1.xlsx"});
    }

    void longCellsAndSheetNamesAreCut()
    {
        TestSandbox sandbox;
        const QString path = sandbox.filePath(QStringLiteral("long.xlsx"));
        ExportTable table;
        table.titles = QStringList{"阶段"};
        table.rows << QStringList{QString(40000, QLatin1Char('x'))};
        const WriteResult result = writeWorkbook(table, path, QString(40, QLatin1Char('s')));
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.cutCells, 1);
        const QJsonObject back = readBack(path);
        QCOMPARE(back.value(QStringLiteral("sheets")).toArray().at(0).toString(), QString(31, QLatin1Char('s')));
        const QString cell = rowsOf(back).at(1).at(0);
        QCOMPARE(cell.size(), kMaxCellLength);
        QVERIFY(cell.endsWith(QStringLiteral("（已截断）")));
    }

    void csvReadsBackWithPythonsReader()
    {
        TestSandbox sandbox;
        const QString path = sandbox.filePath(QStringLiteral("sheet1.csv"));
        const ExportTable table = recordsTable();
        QVERIFY(writeCsv(table, path).ok);
        const QJsonObject back = readBack(path);
        QList<QStringList> expected{table.titles};
        expected << table.rows;
        QCOMPARE(rowsOf(back), expected);
        QVERIFY(back.value(QStringLiteral("bom")).toBool());
        QVERIFY(back.value(QStringLiteral("crlf")).toBool());
    }

    // A full disk or a folder in the file's place: the result says why and
    // the earlier file is kept.
    void failedWriteKeepsTheEarlierFile_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("workbook");
        QTest::newRow("full disk, xlsx") << int(Unwritable::FullDisk) << true;
        QTest::newRow("full disk, csv") << int(Unwritable::FullDisk) << false;
        QTest::newRow("read-only folder, xlsx") << int(Unwritable::ReadOnlyFolder) << true;
    }
    void failedWriteKeepsTheEarlierFile()
    {
        QFETCH(int, kind);
        QFETCH(bool, workbook);
        TestSandbox sandbox;
        const QString path = sandbox.writeFile(QStringLiteral("sheet1.xlsx"), "earlier");
        {
            Unwritable refusal(Unwritable::Kind(kind), path);
            if (!refusal.holds())
                QSKIP("this user writes read-only folders");
            const WriteResult result = workbook ? writeWorkbook(recordsTable(), path, QStringLiteral("sheet1"))
                                                : writeCsv(recordsTable(), path);
            QVERIFY(!result.ok);
            QVERIFY2(result.error.contains(path), qPrintable(result.error));
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("earlier"));
        QCOMPARE(QDir(sandbox.programFolder()).entryList(QDir::Files), QStringList{"sheet1.xlsx"});
    }
};

QTEST_GUILESS_MAIN(TestSpreadsheetFile)
#include "tst_spreadsheetfile.moc"
