#include "TestSupport.h"
#include "app/Application.h"
#include "core/CurrentStage.h"
#include "display/ClockFace.h"
#include "display/ClockWindow.h"
#include "display/MenuHost.h"
#include "platform/ScreenAwake.h"
#include "storage/ProgramStores.h"
#include "storage/RegistryStore.h"
#include "storage/StageSettingsStore.h"
#include "support/Choosers.h"
#include "support/MessageBox.h"
#include "timing/RunEngine.h"
#include "timing/TimingRecordWriter.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include <signal.h>

using namespace melvanta;

// The run as the program puts it together: its records on a busy or killed
// database, the stage chosen from the stage list, the looks kept across a
// restart, the screen kept awake and the commands that come from outside
// the menu.
class TestRunProduct : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { MessageBox::setTestHook(true); }
    void lockedDatabaseNeitherStopsTheClockNorLosesTheRecord();
    void recordOfAKilledProgramIsStoredAtTheNextStart();
    void chosenStageRunsUntilAnotherIsChosen();
    void elementLookSurvivesAStartAndARestart();
    void screenStaysAwakeWhileARunIsUnderWay();
    void commandsFromOutsideTheMenuMoveItsCheckMarks();
};

namespace {

const QString kConnection = QStringLiteral("test-side");

// A stage of `seconds` that stops at its end, stored as the current stage of
// a program that has started before (so that the start keeps it).
void storeStage(int seconds, const QString& combolist = QStringLiteral("201"))
{
    RegistryStore registry;
    registry.setText(QStringLiteral("vision"), QStringLiteral("4"));
    registry.setNumber(QStringLiteral("Time_Record"), 1);
    StageSettings stage = StageSettings::defaults();
    stage.Time_all = QTime(0, 0, 0).addSecs(seconds);
    stage.combolist = combolist;
    SaveStageSettings(registry, stage);
}

// A second program holding the database: its own connection.
struct DatabaseLock
{
    explicit DatabaseLock(const QString& path)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
        db.setDatabaseName(path);
        db.open();
        QSqlQuery(db).exec(QStringLiteral("BEGIN EXCLUSIVE"));
    }
    ~DatabaseLock() { release(); }
    void release()
    {
        if (!QSqlDatabase::contains(kConnection))
            return;
        {
            QSqlDatabase db = QSqlDatabase::database(kConnection);
            QSqlQuery(db).exec(QStringLiteral("COMMIT"));
            db.close();
        }
        QSqlDatabase::removeDatabase(kConnection);
    }
};

int recordCount(const QString& path)
{
    int count = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("count"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(QStringLiteral("SELECT COUNT(*) FROM timesum"), db);
            count = query.next() ? query.value(0).toInt() : -1;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("count"));
    return count;
}

} // namespace

void TestRunProduct::lockedDatabaseNeitherStopsTheClockNorLosesTheRecord()
{
    TestSandbox sandbox;
    sandbox.installDataFiles();
    storeStage(2);
    Application app;
    QCOMPARE(app.start(), Application::Start::WindowsShown);
    const QString database = sandbox.filePath(QStringLiteral("DeskData.db"));
    DatabaseLock lock(database); // held across the end of the run
    // When each new clock text appeared.
    QList<qint64> flips;
    QElapsedTimer clock;
    clock.start();
    QString last = app.clockWindow()->clockText();
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        if (app.clockWindow()->clockText() != last) {
            last = app.clockWindow()->clockText();
            flips << clock.elapsed();
        }
    });
    watch.start(5);
    app.runCommand(MenuHost::Start);
    QTRY_COMPARE_WITH_TIMEOUT(app.engine()->status(), RunStatus::Cleared, 5000);
    QTest::qWait(1500); // the record waits while the database is held
    QCOMPARE(recordCount(database), -1);
    lock.release();
    QTRY_COMPARE_WITH_TIMEOUT(recordCount(database), 1, 5000);
    QVERIFY(app.records()->waitUntilStored(2000));
    QCOMPARE(recordCount(database), 1);
    QCOMPARE(MessageBox::takeRecordedMessages().size(), 1); // one notice that the record waits
    for (int i = 1; i < flips.size(); ++i)
        QVERIFY2(flips[i] - flips[i - 1] <= 1050, qPrintable(QString::number(flips[i] - flips[i - 1])));
}

void TestRunProduct::recordOfAKilledProgramIsStoredAtTheNextStart()
{
    if (qEnvironmentVariableIsSet("MELVANTA_KILLED_CHILD")) {
        // The copy that gets killed: it runs a one-second stage to its end
        // while the database is held, and says when the record waits.
        Application app;
        if (app.start() != Application::Start::WindowsShown)
            QFAIL("no window");
        app.runCommand(MenuHost::Start);
        QTRY_COMPARE_WITH_TIMEOUT(app.records()->pendingCount(), 1, 10000);
        QTextStream(stdout) << "pending" << Qt::endl;
        QTest::qWait(60000);
        return;
    }
    TestSandbox sandbox;
    sandbox.installDataFiles();
    storeStage(1);
    const QString database = sandbox.filePath(QStringLiteral("DeskData.db"));
    DatabaseLock lock(database);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MELVANTA_KILLED_CHILD"), QStringLiteral("1"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("recordOfAKilledProgramIsStoredAtTheNextStart")});
    QVERIFY(child.waitForStarted());
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT(
        (said += child.readAllStandardOutput()).contains("pending") || child.state() != QProcess::Running, 20000);
    QVERIFY2(child.state() == QProcess::Running, said.constData());
    ::kill(pid_t(child.processId()), SIGKILL);
    QVERIFY(child.waitForFinished(5000));
    lock.release();
    QCOMPARE(recordCount(database), 0);

    Application app; // the next start stores it, once
    QCOMPARE(app.start(), Application::Start::WindowsShown);
    QTRY_COMPARE_WITH_TIMEOUT(recordCount(database), 1, 5000);
    QVERIFY(app.records()->waitUntilStored(2000));
    QCOMPARE(recordCount(database), 1);
}

void TestRunProduct::chosenStageRunsUntilAnotherIsChosen()
{
    TestSandbox sandbox;
    sandbox.installDataFiles();
    storeStage(60);
    const QString database = sandbox.filePath(QStringLiteral("DeskData.db"));
    {
        // Two stored stages, the second of 7 minutes with a dynamic text.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(database);
        QVERIFY(db.open());
        for (int i = 0; i < 2; ++i) {
            StageSettings stage = StageSettings::defaults();
            stage.Time_all = QTime(0, i == 0 ? 3 : 7, 0);
            stage.combolist = QStringLiteral("201");
            QStringList columns{QStringLiteral("ID"), QStringLiteral("clockname"), QStringLiteral("movetext")};
            QVariantList values{i + 1, i == 0 ? QStringLiteral("开场") : QStringLiteral("O'Brien 报告"),
                                QStringLiteral("欢迎")};
            for (const StageField& field : stageFields()) {
                columns << QString::fromLatin1(field.name);
                values << fieldText(stage, field);
            }
            QSqlQuery insert(db);
            QVERIFY(insert.prepare(QStringLiteral("INSERT INTO deskclock (%1) VALUES (%2)")
                                       .arg(columns.join(QLatin1Char(',')),
                                            QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')))));
            for (const QVariant& value : values)
                insert.addBindValue(value);
            QVERIFY2(insert.exec(), qPrintable(insert.lastError().text()));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));

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
        app.runCommand(MenuHost::Start); // clears
        QTRY_COMPARE(app.engine()->status(), RunStatus::Idle);
    }
    // The per-user store keeps the stage it had; it is the current one after a restart.
    QCOMPARE(LoadStageSettings(RegistryStore()).Time_all, QTime(0, 1, 0));
}

void TestRunProduct::elementLookSurvivesAStartAndARestart()
{
    TestSandbox sandbox; // a fresh installation: the per-user store holds no stage
    sandbox.installDataFiles();
    const QColor chosen(12, 200, 90);
    {
        Application app;
        QCOMPARE(app.start(), Application::Start::WindowsShown);
        ClockWindow* window = app.clockWindow();
        window->setMenuTarget(kClockTarget);
        Choosers::setNextColour(chosen);
        app.menuHost()->elementItem(MenuHost::SetColour)->trigger();
        QCOMPARE(window->clockFace()->textColour(), chosen);
        app.runCommand(MenuHost::Start);
        QTRY_COMPARE(app.engine()->status(), RunStatus::Running);
        QCOMPARE(window->clockFace()->textColour(), chosen);
        app.runCommand(MenuHost::Stop);
        app.runCommand(MenuHost::Start);
        QTRY_COMPARE(app.engine()->status(), RunStatus::Idle);
        QCOMPARE(window->clockFace()->textColour(), chosen);
        app.shutdown();
    }
    Application again;
    QCOMPARE(again.start(), Application::Start::WindowsShown);
    QCOMPARE(again.clockWindow()->clockFace()->textColour(), chosen);
}

void TestRunProduct::screenStaysAwakeWhileARunIsUnderWay()
{
    TestSandbox sandbox;
    sandbox.installDataFiles();
    storeStage(30);
    Application app;
    QCOMPARE(app.start(), Application::Start::WindowsShown);
    ScreenAwake* awake = app.screenAwake();
    QVERIFY(!awake->isHeld()); // the idle clock may blank
    app.runCommand(MenuHost::Start);
    QTRY_VERIFY(awake->isHeld());
    app.runCommand(MenuHost::Pause);
    QVERIFY(awake->isHeld());
    app.runCommand(MenuHost::Stop);
    QVERIFY(!awake->isHeld());
}

void TestRunProduct::commandsFromOutsideTheMenuMoveItsCheckMarks()
{
    TestSandbox sandbox;
    sandbox.installDataFiles();
    Application app;
    QCOMPARE(app.start(), Application::Start::WindowsShown);
    QAction* adjusting = app.menuHost()->commandItem(MenuHost::AllowAdjusting);
    QAction* buttons = app.menuHost()->commandItem(MenuHost::Buttons);
    app.runCommand(MenuHost::AllowAdjusting); // as a hotkey or the tray would
    QVERIFY(adjusting->isChecked() && app.clockWindow()->isAdjusting());
    app.runCommand(MenuHost::AllowAdjusting);
    QVERIFY(!adjusting->isChecked() && !app.clockWindow()->isAdjusting());
    app.runCommand(MenuHost::Buttons);
    QVERIFY(!buttons->isChecked() && !app.clockWindow()->buttonsShown());
    // Chosen in the menu, an item toggles once, not twice.
    buttons->trigger();
    QVERIFY(buttons->isChecked() && app.clockWindow()->buttonsShown());
}

QTEST_MAIN(TestRunProduct)
#include "tst_runproduct.moc"
