// Stage list and records benchmark: 1,000 stored stages and 10,000 records in
// a real "DeskData.db". Prints the median of 5 rounds for filling the stage
// list, saving, moving and deleting one stage (each with the list refilled
// and the stage submenu rebuilt, as the dialog does), rebuilding the submenu,
// opening the records window and exporting every record to .xlsx and .csv.
// Targets: 100 ms for each stage step, 300 ms to open the records window,
// 1 s for the export. Needs a display (tools/with-display.sh).
#include "TestSupport.h"
#include "display/MenuHost.h"
#include "records/RecordsWindow.h"
#include "settings/SettingsDialog.h"
#include "settings/StagePanel.h"
#include "stages/DatabaseSchema.h"
#include "stages/RecordTable.h"
#include "storage/ProgramStores.h"
#include "storage/RegistryStore.h"
#include "support/MessageBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTextStream>
#include <QTreeWidget>

#include <algorithm>
#include <functional>

using namespace melvanta;

namespace {

void fill(const QString& path, int stages, int records)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(path);
        db.open();
        db.transaction();
        QSqlQuery query(db);
        query.prepare(QStringLiteral("INSERT INTO deskclock (ID, clockname, movetext, Time_all, time_date, combolist) "
                                     "VALUES (?, ?, ?, '00:05:00', '2000-01-01', '101')"));
        for (int k = 1; k <= stages; ++k) {
            query.addBindValue(k);
            query.addBindValue(QStringLiteral("阶段 %1").arg(k));
            query.addBindValue(QStringLiteral("第 %1 位发言人").arg(k));
            query.exec();
        }
        query.prepare(QStringLiteral("INSERT INTO timesum (set_time, use_time, out_time, pause_time, filename) "
                                     "VALUES ('00:05:00', '00:05:12', '00:00:12', '00:00:30', ?)"));
        for (int k = 1; k <= records; ++k) {
            query.addBindValue(QStringLiteral("阶段 %1").arg(k % stages + 1));
            query.exec();
        }
        db.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
}

double medianMs(int rounds, const std::function<void()>& work)
{
    QList<double> times;
    for (int k = 0; k < rounds; ++k) {
        QElapsedTimer timer;
        timer.start();
        work();
        times << double(timer.nsecsElapsed()) / 1e6;
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    MessageBox::setTestHook(true);
    MessageBox::setNextAnswer(MessageBox::Answer::Yes);
    TestSandbox sandbox;
    const QString path = sandbox.filePath(QStringLiteral("DeskData.db"));
    DatabaseSchema::create(path);
    constexpr int kStages = 1000, kRecords = 10000, kRounds = 5;
    fill(path, kStages, kRecords);
    ProgramStores stores(sandbox.programFolder());
    MenuHost menus;
    menus.load(stores, StageSettings::defaults());

    RegistryStore registry;
    SettingsDialog::Hooks hooks;
    hooks.databasePath = path;
    hooks.stagesChanged = [&] { menus.change_clock_menu(); };
    SettingsDialog dialog(fillEntries(StageSettings::defaults(), stores.profile(), registry), std::move(hooks));
    dialog.show();
    StagePanel* panel = dialog.stagePanel();
    QTextStream out(stdout);
    out << "stages " << kStages << ", records " << kRecords << ", median of " << kRounds << " rounds\n";
    out << "fill the stage list:       " << medianMs(kRounds, [&] { panel->listadd(); }) << " ms\n";
    int saved = 0;
    out << "save one stage:            " << medianMs(kRounds, [&] {
        panel->nameBox()->setText(QStringLiteral("新阶段 %1").arg(++saved));
        panel->datasave();
    }) << " ms\n";
    out << "move one stage down:       " << medianMs(kRounds, [&] {
        QTreeWidget* list = panel->list();
        list->clearSelection();
        list->topLevelItem(500)->setSelected(true);
        panel->moveSelected(1);
    }) << " ms\n";
    out << "delete one stage:          " << medianMs(kRounds, [&] {
        QTreeWidget* list = panel->list();
        list->clearSelection();
        list->topLevelItem(10)->setSelected(true);
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        panel->Cmd_del();
    }) << " ms\n";
    out << "rebuild the stage submenu: " << medianMs(kRounds, [&] { menus.change_clock_menu(); }) << " ms\n";
    out << "open the records window:   " << medianMs(kRounds, [&] {
        RecordsWindow window(path, registry);
        window.show();
        QCoreApplication::processEvents();
    }) << " ms\n";
    const ExportTable table = recordsExportTable(*RecordTable(path).read());
    const QString workbook = sandbox.filePath(QStringLiteral("records.xlsx"));
    const QString csv = sandbox.filePath(QStringLiteral("records.csv"));
    out << "export records to .xlsx:   "
        << medianMs(kRounds, [&] { writeWorkbook(table, workbook, QStringLiteral("sheet1")); }) << " ms\n";
    out << "export records to .csv:    " << medianMs(kRounds, [&] { writeCsv(table, csv); }) << " ms\n";
    out << "messages shown: " << MessageBox::takeRecordedMessages().join(QStringLiteral(" | ")) << "\n";
    return 0;
}
