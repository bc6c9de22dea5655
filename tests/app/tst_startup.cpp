#include "TestSupport.h"
#include "app/Application.h"
#include "display/ClockWindow.h"
#include "display/MenuHost.h"
#include "platform/SingleInstance.h"
#include "storage/ProfileFile.h"
#include "storage/RegistryStore.h"
#include "support/MessageBox.h"
#include "support/ShellOpen.h"
#include "timing/RunEngine.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using namespace melvanta;

namespace {

const QString kExecutable = QStringLiteral(MELVANTA_PROGRAM_DIR "/melvanta");

QProcessEnvironment sandboxEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MELVANTA_HOME"), qEnvironmentVariable("MELVANTA_HOME"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), qEnvironmentVariable("XDG_CONFIG_HOME"));
    return env;
}

qint64 lockOwner(const QString& lockPath)
{
    QFile file(lockPath);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.readLine().trimmed().toLongLong();
}

// Right press on an empty spot of the window, then a click on `item`.
void choose(const Application& app, int item)
{
    ClockWindow* window = app.clockWindow();
    QPoint spot(4, 4);
    for (int i = 0; window->childAt(spot) && i < 400; ++i)
        spot = QPoint(4 + (i % 20) * window->width() / 20, 4 + (i / 20) * window->height() / 20);
    QTest::mousePress(window, Qt::RightButton, {}, spot);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu && menu == app.menuHost()->commandMenu());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(app.menuHost()->commandItem(item)).center());
    QTRY_VERIFY(!menu->isVisible());
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        MessageBox::setTestHook(true);
        ShellOpen::setTestHook(true);
    }
    void firstStartShowsDefaults();
    void buttonsDriveARealRun();
    void gateFailureOpensNoWindow_data();
    void gateFailureOpensNoWindow();
    void secondInstanceEndsAtOnce();
    void lockOfCrashedCopyDoesNotBlock();
    void noDisplayIsOneClearLine_data();
    void noDisplayIsOneClearLine();
    void commandMenuItemsThenExitDuringARun();
    void stageSelectionFollowsTheDatabase_data();
    void stageSelectionFollowsTheDatabase();
};

void TestStartup::firstStartShowsDefaults()
{
    TestSandbox sandbox;
    sandbox.installDataFiles();
    ProfileFile profile(sandbox.filePath(QStringLiteral("TimeData.db")));
    profile.write(QStringLiteral("Marquee"), QStringLiteral("currentrow"), QStringLiteral("3"));

    Application app;
    QCOMPARE(app.start(), Application::Start::WindowsShown);
    QVERIFY(MessageBox::takeRecordedMessages().isEmpty());
    ClockWindow* window = app.clockWindow();
    QVERIFY(window);
    QTRY_VERIFY(window->isMaximized());
    QTRY_COMPARE(window->size(), window->screen()->availableSize());
    QCOMPARE(window->clockText(), QStringLiteral("01:00"));
    QVERIFY(app.menuHost());
    QVERIFY(!app.menuHost()->isVisible());
    // The window passes the run state on to the menus.
    window->setCommandState(CommandState::forStatus(RunStatus::Paused));
    QCOMPARE(app.menuHost()->commandItem(MenuHost::Pause)->text(), QStringLiteral("继续"));

    QCOMPARE(profile.readPart(QStringLiteral("Marquee"), QStringLiteral("currentrow"), QStringLiteral("-10")),
             QStringLiteral("-10"));
    QCOMPARE(RegistryStore().text(QStringLiteral("vision")).value_or(QString()), QStringLiteral("4"));
    app.shutdown();
    QVERIFY(!app.clockWindow());
}

void TestStartup::buttonsDriveARealRun()
{
    TestSandbox sandbox;
    sandbox.installDataFiles();
    RegistryStore().setNumber(QStringLiteral("Time_Record"), 1);
    Application app;
    QCOMPARE(app.start(), Application::Start::WindowsShown);
    ClockWindow* window = app.clockWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    MenuHost* menus = app.menuHost();

    QTest::mouseClick(window->button(0), Qt::LeftButton);
    QTRY_COMPARE(app.engine()->status(), RunStatus::Running);
    QVERIFY(!window->button(0)->isEnabled());
    QVERIFY(window->button(2)->isEnabled());
    QVERIFY(!menus->commandItem(MenuHost::Exit)->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(window->clockText(), QStringLiteral("00:59"), 3000);

    QTest::mouseClick(window->button(2), Qt::LeftButton);
    QCOMPARE(window->button(2)->text(), QStringLiteral(" 继续 "));
    QVERIFY(menus->commandItem(MenuHost::Pause)->text().startsWith(QStringLiteral("继续")));
    QTest::mouseClick(window->button(2), Qt::LeftButton);
    QCOMPARE(window->button(2)->text(), QStringLiteral(" 暂停 "));

    QTest::mouseClick(window->button(1), Qt::LeftButton);
    QCOMPARE(window->button(0)->text(), QStringLiteral(" 清零 "));
    QVERIFY(menus->commandItem(MenuHost::Start)->text().startsWith(QStringLiteral("清零")));
    // The stopped run is recorded at the counter's next tick.
    QTRY_VERIFY(!app.engine()->timers().timer1.isActive());
    QCOMPARE(app.engine()->run().stageLabel.isEmpty(), false);

    QTest::mouseClick(window->button(0), Qt::LeftButton); // clears
    QTRY_COMPARE(window->clockText(), QStringLiteral("01:00"));
    QCOMPARE(window->button(0)->text(), QStringLiteral(" 开始 "));
    QCOMPARE(app.engine()->status(), RunStatus::Idle);
}

void TestStartup::gateFailureOpensNoWindow_data()
{
    QTest::addColumn<QString>("vision");
    QTest::addColumn<QString>("removedFile");
    QTest::addColumn<QString>("message");
    QTest::newRow("newer settings") << "5" << QString() << "请使用最新版本";
    QTest::newRow("no help page") << "4"
                                  << "help.html"
                                  << "保持程序完整，请重新安装";
    QTest::newRow("no database") << "4"
                                 << "DeskData.db"
                                 << "保持程序完整，请重新安装";
    QTest::newRow("no profile file") << "4"
                                     << "TimeData.db"
                                     << "保持程序完整，请重新安装";
}

void TestStartup::gateFailureOpensNoWindow()
{
    QFETCH(QString, vision);
    QFETCH(QString, removedFile);
    QFETCH(QString, message);
    TestSandbox sandbox;
    sandbox.installDataFiles();
    if (!removedFile.isEmpty())
        QVERIFY(QFile::remove(sandbox.filePath(removedFile)));
    RegistryStore().setText(QStringLiteral("vision"), vision);

    Application app;
    QCOMPARE(app.start(), Application::Start::GateFailed);
    QCOMPARE(MessageBox::takeRecordedMessages(), QStringList{message});
    QVERIFY(!app.clockWindow());
    QVERIFY(!app.menuHost());
    // Forgetting the marquee row must not bring a missing profile file back.
    QCOMPARE(QFile::exists(sandbox.filePath(QStringLiteral("TimeData.db"))), removedFile != "TimeData.db");
}

void TestStartup::secondInstanceEndsAtOnce()
{
    TestSandbox sandbox;
    sandbox.installDataFiles();
    QProcess first;
    first.setProcessEnvironment(sandboxEnvironment());
    first.start(kExecutable, {});
    QVERIFY(first.waitForStarted());
    const QString lockPath = SingleInstance(sandbox.programFolder()).lockPath();
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(lockPath), first.processId(), 20000);

    QProcess second;
    second.setProcessEnvironment(sandboxEnvironment());
    second.start(kExecutable, {});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);
    first.terminate();
    QVERIFY(first.waitForFinished(10000));
}

void TestStartup::lockOfCrashedCopyDoesNotBlock()
{
    TestSandbox sandbox;
    sandbox.installDataFiles();
    const QString lockPath = SingleInstance(sandbox.programFolder()).lockPath();
    QProcess crashed;
    crashed.setProcessEnvironment(sandboxEnvironment());
    crashed.start(kExecutable, {});
    QVERIFY(crashed.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(lockPath), crashed.processId(), 20000);
    crashed.kill(); // SIGKILL: the lock file stays behind
    QVERIFY(crashed.waitForFinished(10000));
    QVERIFY(QFile::exists(lockPath));

    QProcess next;
    next.setProcessEnvironment(sandboxEnvironment());
    next.start(kExecutable, {});
    QVERIFY(next.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(lockOwner(lockPath), next.processId(), 20000);
    QCOMPARE(next.state(), QProcess::Running);
    next.terminate();
    QVERIFY(next.waitForFinished(10000));
}

void TestStartup::noDisplayIsOneClearLine_data()
{
    QTest::addColumn<QString>("display"); // empty: DISPLAY unset
    QTest::newRow("DISPLAY unset") << QString();
    QTest::newRow("no server there") << ":4711";
}

void TestStartup::noDisplayIsOneClearLine()
{
    QFETCH(QString, display);
    TestSandbox sandbox;
    sandbox.installDataFiles();
    QProcessEnvironment env = sandboxEnvironment();
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (display.isEmpty())
        env.remove(QStringLiteral("DISPLAY"));
    else
        env.insert(QStringLiteral("DISPLAY"), display);
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(kExecutable, {});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    const QString output = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    QVERIFY2(!output.contains(QLatin1Char('\n')) && output.contains(QStringLiteral("no display")), qPrintable(output));
}

void TestStartup::commandMenuItemsThenExitDuringARun()
{
    TestSandbox sandbox;
    sandbox.installDataFiles();
    auto app = std::make_unique<Application>();
    QCOMPARE(app->start(), Application::Start::WindowsShown);
    ClockWindow* window = app->clockWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    choose(*app, MenuHost::Buttons);
    QVERIFY(!window->button(0)->isVisible() && !window->button(4)->isVisible());
    const ProfileFile profile(sandbox.filePath(QStringLiteral("TimeData.db")));
    QCOMPARE(profile.readPart(QStringLiteral("clocksite"), QStringLiteral("pictureleft9"), QString()), "2");
    QCOMPARE(RegistryStore().number(QStringLiteral("pictureleft9"), 0), 2);

    QAction* minimise = app->menuHost()->commandItem(MenuHost::Minimise);
    choose(*app, MenuHost::Minimise);
    QTRY_VERIFY(window->isMinimized());
    QCOMPARE(minimise->text(), QStringLiteral("最大化"));
    minimise->trigger(); // a minimised window is reached through the tray
    QTRY_VERIFY(!window->isMinimized() && window->size() == window->screen()->availableSize());
    QCOMPARE(minimise->text(), QStringLiteral("最小化"));

    choose(*app, MenuHost::Help);
    choose(*app, MenuHost::OnlineHelp);
    QCOMPARE(ShellOpen::takeOpened(), QStringList({QUrl::fromLocalFile(sandbox.filePath("help.html")).toString(),
                                                   QString::fromLatin1(kOnlineHelpAddress)}));
    QVERIFY(QFile::remove(sandbox.filePath(QStringLiteral("help.html"))));
    choose(*app, MenuHost::Help);
    choose(*app, MenuHost::Statistics);
    QCOMPARE(MessageBox::takeRecordedMessages(),
             QStringList({"help.html不存在，请保证文件完整", "此窗口在本版本中尚未提供"}));

    choose(*app, MenuHost::Start);
    QTRY_VERIFY(app->engine()->timers().timer1.isActive());
    app->runCommand(MenuHost::Exit); // hidden during a run; the tray and the hotkeys still reach it
    RunTimers& t = app->engine()->timers();
    for (TickTimer* timer : {&t.timer1, &t.timer3, &t.timer4, &t.timer5, &t.timer7, &t.timer9, &t.timer10, &t.timer11})
        QVERIFY(!timer->isActive());
    QVERIFY(!window->isVisible());

    sandbox.writeFile(QStringLiteral("help.html"), "<html></html>"); // the start checks for it
    app = std::make_unique<Application>();                           // the next start keeps the buttons hidden
    QCOMPARE(app->start(), Application::Start::WindowsShown);
    QVERIFY(!app->clockWindow()->buttonsShown());
    QVERIFY(!app->menuHost()->commandItem(MenuHost::Buttons)->isChecked());
}

void TestStartup::stageSelectionFollowsTheDatabase_data()
{
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("none") << QString() << QStringList();
    QTest::newRow("two") << "(2, '总结'), (1, 'O''Brien 报告')" << QStringList{"O'Brien 报告", "总结"};
    QTest::newRow("damaged") << QString() << QStringList();
}

void TestStartup::stageSelectionFollowsTheDatabase()
{
    QFETCH(QString, rows);
    QFETCH(QStringList, names);
    TestSandbox sandbox;
    sandbox.installDataFiles();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(sandbox.filePath(QStringLiteral("DeskData.db")));
        QVERIFY(db.open() &&
                (rows.isEmpty() || QSqlQuery(db).exec("INSERT INTO deskclock (ID, clockname) VALUES " + rows)));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    if (QTest::currentDataTag() == QLatin1String("damaged"))
        sandbox.writeFile(QStringLiteral("DeskData.db"), "not a database");
    Application app;
    QCOMPARE(app.start(), Application::Start::WindowsShown);
    QCOMPARE(app.menuHost()->stageEntries(), names);
    QCOMPARE(app.menuHost()->commandItem(MenuHost::StageSelection)->isVisible(), !names.isEmpty());
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
