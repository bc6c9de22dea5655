#include "TestSupport.h"
#include "timing/EngineHarness.h"
#include "app/Application.h"
#include "display/ClockFace.h"
#include "display/ClockWindow.h"
#include "display/MenuHost.h"
#include "platform/ScreenAwake.h"
#include "storage/RegistryStore.h"
#include "storage/StageSettingsStore.h"
#include "support/Choosers.h"
#include "settings/SettingsDialog.h"
#include "settings/SettingsEntries.h"
#include "storage/ProfileFile.h"
#include "storage/ProgramStores.h"
#include "support/MessageBox.h"
#include "timing/PendingRecords.h"
#include "timing/RunEngine.h"
#include "timing/TimingRecordWriter.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using namespace melvanta;

namespace {

// A stage of `seconds` that stops at its end, stored as the current stage of
// a program that has started before (so that the start keeps it).
void storeStage(int seconds)
{
    RegistryStore registry;
    registry.setText(QStringLiteral("vision"), QStringLiteral("4"));
    registry.setNumber(QStringLiteral("Time_Record"), 1);
    StageSettings stage = StageSettings::defaults();
    stage.Time_all = QTime(0, 0, 0).addSecs(seconds);
    stage.combolist = QStringLiteral("201");
    SaveStageSettings(registry, stage);
}

// A connection of its own to the database at `path`, as another program has.
QSqlDatabase openDatabase(const QString& path)
{
    static int connections = 0;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test%1").arg(++connections));
    db.setDatabaseName(path);
    db.open();
    return db;
}

// The first value `statement` gives; none when it fails (the database is held) or gives no rows.
QVariant sql(const QString& path, const QString& statement = QStringLiteral("SELECT COUNT(*) FROM timesum"))
{
    QSqlDatabase db = openDatabase(path);
    QSqlQuery query(db);
    const QVariant value = query.exec(statement) && query.next() ? query.value(0) : QVariant();
    db.close();
    return value;
}

} // namespace

// The run as the program puts it together: its records on a busy or killed
// database, the stage chosen from the stage list, the looks kept across a
// restart, the screen kept awake and the commands that come from outside
// the menu.
class TestRunProduct : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { MessageBox::setTestHook(true); }

    // A database held by another program across the end of a run stops
    // neither the clock nor the record; a record a killed copy left pending
    // is stored by the next start.
    void heldDatabaseNeitherStopsTheClockNorLosesTheRecord()
    {
        TestSandbox sandbox;
        sandbox.installDataFiles();
        storeStage(2);
        const QString database = sandbox.filePath(QStringLiteral("DeskData.db"));
        QSqlDatabase lock = openDatabase(database);
        {
            Application app;
            QCOMPARE(app.start(), Application::Start::WindowsShown);
            QVERIFY(QSqlQuery(lock).exec(QStringLiteral("BEGIN EXCLUSIVE"))); // held across the end of the run
            // When each new clock text appeared.
            QList<qint64> flips;
            QElapsedTimer clock;
            clock.start();
            QString last = app.clockWindow()->clockText();
            QTimer watch;
            connect(&watch, &QTimer::timeout, this, [&] {
                if (app.clockWindow()->clockText() != last)
                    flips << clock.elapsed();
                last = app.clockWindow()->clockText();
            });
            watch.start(5);
            app.runCommand(MenuHost::Start);
            QTRY_COMPARE_WITH_TIMEOUT(app.engine()->status(), RunStatus::Cleared, 5000);
            QTest::qWait(1500); // the record waits while the database is held
            QCOMPARE(sql(database), QVariant());
            lock.close();
            QTRY_COMPARE_WITH_TIMEOUT(sql(database), QVariant(1), 5000);
            QVERIFY(app.records()->waitUntilStored(2000));
            QCOMPARE(sql(database), QVariant(1));
            QCOMPARE(MessageBox::takeRecordedMessages().size(), 1); // one notice that the record waits
            for (int i = 1; i < flips.size(); ++i)
                QVERIFY2(flips[i] - flips[i - 1] <= 1050, qPrintable(QString::number(flips[i] - flips[i - 1])));
        }
        // What a copy killed while its record waited leaves behind (the kill
        // itself is the record writer's test).
        RunState run;
        run.stageLabel = QStringLiteral("被中断");
        QVERIFY(PendingRecords(TimingRecordWriter::pendingFilePath(database))
                    .append(TimingRecord::fromRun(run, QDateTime::currentDateTime(), TimingRecord::newKey())));
        Application app; // the next start stores it, once
        QCOMPARE(app.start(), Application::Start::WindowsShown);
        QTRY_COMPARE_WITH_TIMEOUT(sql(database), QVariant(2), 5000);
        QVERIFY(app.records()->waitUntilStored(2000));
        QCOMPARE(sql(database), QVariant(2));
    }

    // On the real window and clock, whatever the start's place within the
    // wall-clock second: the whole duration is shown first, and each second
    // stays about a second, the first one included.
    void firstSecondsOnTheWindow_data()
    {
        QTest::addColumn<int>("startMsInSecond");
        for (int ms = 100; ms < 1000; ms += 200)
            QTest::addRow("start at .%03d", ms) << ms;
    }
    void firstSecondsOnTheWindow()
    {
        QFETCH(int, startMsInSecond);
        TestSandbox sandbox;
        sandbox.installDataFiles();
        storeStage(5);
        Application app;
        QCOMPARE(app.start(), Application::Start::WindowsShown);
        ClockWindow* window = app.clockWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QString wholeDuration = window->clockText();
        QVERIFY2(wholeDuration.endsWith(QStringLiteral(":05")), qPrintable(wholeDuration));
        QTest::qWait((startMsInSecond - QTime::currentTime().msec() + 1000) % 1000);
        // Each text the window shows, with when it appeared after the click.
        QList<QPair<qint64, QString>> shown;
        QElapsedTimer sinceClick;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (shown.isEmpty() || shown.last().second != window->clockText())
                shown.append({sinceClick.elapsed(), window->clockText()});
        });
        sinceClick.start();
        QTest::mouseClick(window->button(0), Qt::LeftButton);
        watch.start(2);
        QTRY_VERIFY_WITH_TIMEOUT(shown.size() >= 3, 4000);
        QString seen;
        for (const auto& [ms, text] : shown)
            seen += QStringLiteral(" %1@%2").arg(text).arg(ms);
        QCOMPARE(shown.at(0).second, wholeDuration);
        QVERIFY2(shown.at(1).second.endsWith(QStringLiteral(":04")), qPrintable(seen));
        QVERIFY2(shown.at(1).first >= 950 && shown.at(1).first <= 1300, qPrintable(seen));
        QVERIFY2(qAbs(shown.at(2).first - shown.at(1).first - 1000) <= 150, qPrintable(seen));
    }

    // An apply that fails its checks changes nothing (the dialog's own apply
    // and a run under way are checked through the dialog below).
    void refusedApplyChangesNothing()
    {
        TestSandbox sandbox;
        sandbox.installDataFiles();
        storeStage(60);
        Application app;
        QCOMPARE(app.start(), Application::Start::WindowsShown);
        SettingsEntries entries =
            fillEntries(app.currentStage()->get(), ProfileSnapshot(sandbox.filePath(QStringLiteral("TimeData.db"))),
                        app.stores()->registry());
        // 00:02:00 with alarms 1 and 2 both at 1:00.
        const QStringList boxes = {"0", "2", "0", "1", "0", "1", "0"};
        for (int i = 0; i < boxes.size(); ++i)
            entries.timeBoxes[1 + i] = boxes[i];
        entries.formatIndex = 1; // 分:秒
        entries.modeIndex = 0;
        entries.actionIndex = 1;
        entries.alertDuration = QStringLiteral("5");
        entries.checkone = QStringLiteral("0110000");
        const StageSettings before = app.currentStage()->get();
        QVERIFY(!app.applySettings(entries));
        QCOMPARE(MessageBox::takeRecordedMessages(), QStringList{"报警1和报警2提醒时间不能相同，请修改"});
        QCOMPARE(app.currentStage()->get(), before);
    }

    // " 设置 " opens the one settings dialog; what is typed into it and
    // applied is the stage the window shows and the next start counts. A run
    // under way when it is applied ends with its record.
    void settingsDialogFromTheButton()
    {
        TestSandbox sandbox;
        sandbox.installDataFiles();
        storeStage(60);
        Application app;
        QCOMPARE(app.start(), Application::Start::WindowsShown);
        QTest::mouseClick(app.clockWindow()->button(3), Qt::LeftButton);
        QTRY_VERIFY(app.settingsDialog() && app.settingsDialog()->isVisible());
        SettingsDialog* dialog = app.settingsDialog();
        QVERIFY(dialog->isModal());
        app.runCommand(MenuHost::Settings);
        QCOMPARE(app.settingsDialog(), dialog);
        const QWidgetList windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.begin(), windows.end(),
                               [](QWidget* w) { return qobject_cast<SettingsDialog*>(w) != nullptr; }),
                 1);

        auto type = [dialog](const char* name, const char* text) {
            auto* box = dialog->findChild<QLineEdit*>(QString::fromLatin1(name));
            QVERIFY2(box, name);
            box->selectAll();
            QTest::keyClicks(box, QString::fromLatin1(text));
        };
        type("Text1_1", "0");
        type("Text1_2", "2");
        type("Text1_3", "0");
        type("Text1_4", "1"); // alarm 1 at 1:00
        type("Text1_5", "0");
        type("Text1_6", "0"); // alarm 2 at 0:40 (the disabled alarm 3 stands at 0:30)
        type("Text1_7", "40");
        for (const char* name : {"Check1_1", "Check1_2"})
            dialog->findChild<QCheckBox*>(QString::fromLatin1(name))->setChecked(true);
        dialog->findChild<QComboBox*>(QStringLiteral("Combo1"))->setCurrentIndex(1); // 分:秒
        app.runCommand(MenuHost::Start);
        QTRY_COMPARE(app.engine()->status(), RunStatus::Running);
        QTest::qWait(1200);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        const QStringList told = MessageBox::takeRecordedMessages();
        QVERIFY2(told.isEmpty(), qPrintable(told.join('|')));
        QTRY_COMPARE_WITH_TIMEOUT(sql(sandbox.filePath(QStringLiteral("DeskData.db"))), QVariant(1), 5000);
        QTRY_COMPARE(app.clockWindow()->clockText(), QStringLiteral("02:00"));
        const StageSettings stored = LoadStageSettings(app.stores()->registry());
        QCOMPARE(stored.Time_all, QTime(0, 2, 0));
        QCOMPARE(stored.Time_two, QTime(0, 0, 40));
        QVERIFY(stored.alarmEnabled(1) && stored.alarmEnabled(2));
        QCOMPARE(app.engine()->status(), RunStatus::Idle);
        ProfileFile profile(sandbox.filePath(QStringLiteral("TimeData.db")));
        QCOMPARE(profile.readPart(QStringLiteral("Marquee"), QStringLiteral("currentrow"), QStringLiteral("none")),
                 QStringLiteral("none"));
        QCOMPARE(profile.readPart(QStringLiteral("Hotkey"), QStringLiteral("opentogetherstop"), QString()), "1");

        // Applied again with nothing changed, the stores keep their bytes.
        auto bytes = [](const QString& path) {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QString profilePath = sandbox.filePath(QStringLiteral("TimeData.db"));
        const QByteArray profileBytes = bytes(profilePath);
        const QByteArray registryBytes = bytes(RegistryStore::defaultLocation());
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(bytes(profilePath), profileBytes);
        QCOMPARE(bytes(RegistryStore::defaultLocation()), registryBytes);

        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Command3")), Qt::LeftButton);
        QTRY_VERIFY(!app.settingsDialog());
        app.runCommand(MenuHost::Start);
        QTRY_COMPARE_WITH_TIMEOUT(app.clockWindow()->clockText(), QStringLiteral("01:59"), 3000);
    }

    void chosenStageRunsUntilAnotherIsChosen()
    {
        TestSandbox sandbox;
        sandbox.installDataFiles();
        storeStage(60);
        // Two stored stages, the second of 7 minutes with a dynamic text.
        sql(sandbox.filePath(QStringLiteral("DeskData.db")),
            QStringLiteral("INSERT INTO deskclock (ID, clockname, movetext, Time_all, combolist) VALUES "
                           "(1, '开场', '', '00:03:00', '201'), (2, 'O''Brien 报告', '欢迎', '00:07:00', '201')"));
        Application app;
        QCOMPARE(app.start(), Application::Start::WindowsShown);
        QMenu* stages = app.menuHost()->stageMenu();
        QCOMPARE(stages->actions().size(), 2);
        stages->actions().at(1)->trigger();
        QTRY_COMPARE(app.clockWindow()->clockText(), QStringLiteral("00:07:00"));
        QCOMPARE(app.clockWindow()->dynamicText(), QStringLiteral("欢迎"));
        for (int run = 0; run < 2; ++run) {
            app.runCommand(MenuHost::Start);
            QTRY_COMPARE(app.engine()->status(), RunStatus::Running);
            QCOMPARE(app.engine()->run().totalSeconds, 420);
            app.runCommand(MenuHost::Stop);
            app.runCommand(MenuHost::Start); // clears, then shows the stage again
            QTRY_VERIFY(!app.engine()->timers().timer5.isActive());
        }
        // Choosing a stage while a run is under way ends that run with its record.
        app.runCommand(MenuHost::Start);
        QTRY_COMPARE(app.engine()->status(), RunStatus::Running);
        QVERIFY(app.records()->waitUntilStored(5000));
        const int before = sql(sandbox.filePath(QStringLiteral("DeskData.db"))).toInt();
        stages->actions().at(0)->trigger();
        QVERIFY(app.engine()->status() != RunStatus::Running);
        QTRY_COMPARE(app.clockWindow()->clockText(), QStringLiteral("00:03:00"));
        QVERIFY(app.records()->waitUntilStored(5000));
        QCOMPARE(sql(sandbox.filePath(QStringLiteral("DeskData.db"))).toInt(), before + 1);
        // The per-user store keeps the stage it had; it is the current one after a restart.
        QCOMPARE(LoadStageSettings(RegistryStore()).Time_all, QTime(0, 1, 0));
    }

    // Three stored 2-second stages that hand over to the next, with "自动循环"
    // on: after the last the first follows, each run recorded under its
    // stage's name; a next-stage run stopped by hand keeps its stage.
    void storedStagesCycle()
    {
        TestSandbox sandbox;
        sandbox.installDataFiles();
        storeStage(60);
        ProfileFile(sandbox.filePath(QStringLiteral("TimeData.db")))
            .write(QStringLiteral("Marquee"), QStringLiteral("checkcycle"), QStringLiteral("1"));
        const QString database = sandbox.filePath(QStringLiteral("DeskData.db"));
        sql(database, QStringLiteral("INSERT INTO deskclock (ID, clockname, movetext, Time_all, checkone, combolist) "
                                     "VALUES (1, '一', '', '00:00:02', '0000000', '103'), "
                                     "(2, 'O''Brien', '', '00:00:02', '0000000', '103'), "
                                     "(3, '三 & 四', '', '00:00:02', '0000000', '103')"));
        auto time = std::make_unique<FakeTimeSource>(QDateTime(QDate(2026, 12, 7), QTime(9, 0)));
        FakeTimeSource* clock = time.get();
        Application app(std::move(time));
        QCOMPARE(app.start(), Application::Start::WindowsShown);
        QStringList started;
        QObject::connect(app.engine(), &RunEngine::statusChanged, app.engine(), [&](RunStatus status) {
            if (status == RunStatus::Running)
                started << app.menuHost()->stageEntries().value(app.menuHost()->checkedStageEntry()).name;
        });
        // "&" in a caption is shown as it stands, not as a mnemonic.
        QCOMPARE(app.menuHost()->stageMenu()->actions().at(2)->text(), QStringLiteral("三 && 四"));
        app.menuHost()->stageMenu()->actions().at(0)->trigger();
        app.runCommand(MenuHost::Start);
        QTRY_COMPARE(app.engine()->status(), RunStatus::Running);
        QElapsedTimer waited;
        waited.start();
        while (started.size() < 4 && waited.elapsed() < 20000) {
            clock->advance(200);
            QTest::qWait(20);
        }
        QCOMPARE(started, (QStringList{"一", "O'Brien", "三 & 四", "一"}));
        app.runCommand(MenuHost::Stop);
        app.runCommand(MenuHost::Start); // clears: the stage stays the first
        QTRY_COMPARE(app.engine()->status(), RunStatus::Idle);
        QCOMPARE(app.menuHost()->checkedStageEntry(), 0);
        QVERIFY(app.records()->waitUntilStored(5000));
        QStringList names;
        QSqlDatabase db = openDatabase(database);
        QSqlQuery query(QStringLiteral("SELECT filename FROM timesum ORDER BY ID_auto"), db);
        while (query.next())
            names << query.value(0).toString();
        db.close();
        QCOMPARE(names, (QStringList{"一", "O'Brien", "三 & 四", "一"}));
    }

    // A fresh installation run through runCommand, as hotkeys and the tray do:
    // an element look survives the run and a restart, the screen is held awake
    // while it runs or pauses, check items toggle (a menu trigger once).
    void runFromOutsideTheMenu()
    {
        TestSandbox sandbox; // the per-user store holds no stage
        sandbox.installDataFiles();
        const QColor chosen(12, 200, 90);
        {
            Application app;
            QCOMPARE(app.start(), Application::Start::WindowsShown);
            app.clockWindow()->setMenuTarget(kClockTarget);
            Choosers::setNextColour(chosen);
            app.menuHost()->elementItem(MenuHost::SetColour)->trigger();
            QVERIFY(!app.screenAwake()->isHeld());
            // Starting and clearing a run show the stage again; the screen is held while it runs or pauses.
            const int commands[] = {MenuHost::Start, MenuHost::Pause, MenuHost::Stop, MenuHost::Start};
            for (int i = 0; i < 4; ++i) {
                app.runCommand(commands[i]);
                QTRY_VERIFY(!app.engine()->timers().timer5.isActive());
                QCOMPARE(app.screenAwake()->isHeld(), i < 2);
                QCOMPARE(app.clockWindow()->clockFace()->textColour(), chosen);
            }
            app.runCommand(MenuHost::AllowAdjusting);
            QVERIFY(app.menuHost()->commandItem(MenuHost::AllowAdjusting)->isChecked());
            QVERIFY(app.clockWindow()->isAdjusting());
            QAction* buttons = app.menuHost()->commandItem(MenuHost::Buttons);
            app.runCommand(MenuHost::Buttons);
            QVERIFY(!buttons->isChecked() && !app.clockWindow()->buttonsShown());
            buttons->trigger();
            QVERIFY(buttons->isChecked() && app.clockWindow()->buttonsShown());
        }
        Application again;
        QCOMPARE(again.start(), Application::Start::WindowsShown);
        QCOMPARE(again.clockWindow()->clockFace()->textColour(), chosen);
    }
};

QTEST_MAIN(TestRunProduct)
#include "tst_runproduct.moc"
