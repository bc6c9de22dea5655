#include "TestSupport.h"
#include "Unwritable.h"
#include "app/Application.h"
#include "records/RecordsWindow.h"
#include "display/ClockWindow.h"
#include "display/MenuHost.h"
#include "platform/SingleInstance.h"
#include "storage/ProfileFile.h"
#include "storage/RegistryStore.h"
#include "support/MessageBox.h"
#include "support/ShellOpen.h"
#include "timing/RunEngine.h"

#include <QAction>
#include <QDialog>
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
    // Each test's own program folder, with the data files installed.
    std::optional<TestSandbox> m_sandbox;

private Q_SLOTS:
    void init()
    {
        MessageBox::setTestHook(true);
        ShellOpen::setTestHook(true);
        m_sandbox.emplace();
        m_sandbox->installDataFiles();
    }
    void cleanup() { m_sandbox.reset(); }

    void gateFailureOpensNoWindow_data()
    {
        QTest::addColumn<QString>("removedFile"); // none: the settings come from a newer version
        QTest::newRow("newer settings") << QString();
        QTest::newRow("no help page") << "help.html";
        QTest::newRow("no database") << "DeskData.db";
        QTest::newRow("no profile file") << "TimeData.db";
    }
    void gateFailureOpensNoWindow()
    {
        QFETCH(QString, removedFile);
        QVERIFY(removedFile.isEmpty() || QFile::remove(m_sandbox->filePath(removedFile)));
        RegistryStore().setText(QStringLiteral("vision"), removedFile.isEmpty() ? "5" : "4");
        Application app;
        QCOMPARE(app.start(), Application::Start::GateFailed);
        QCOMPARE(MessageBox::takeRecordedMessages(),
                 QStringList{removedFile.isEmpty() ? "请使用最新版本" : "保持程序完整，请重新安装"});
        QVERIFY(!app.clockWindow() && !app.menuHost());
        // Forgetting the marquee row must not bring a missing profile file back.
        QCOMPARE(QFile::exists(m_sandbox->filePath(QStringLiteral("TimeData.db"))), removedFile != "TimeData.db");
    }

    // Only a live copy serving the same program folder stops a start, and it
    // is brought to the front; a crashed copy's lock, or a lock naming the
    // live copy of another folder, is taken over. SIGTERM ends a copy as
    // "退出" does, lock removed.
    void oneCopyPerProgramFolder()
    {
        auto lockOwner = [](const QString& folder) {
            QFile file(SingleInstance(folder).lockPath());
            return file.open(QIODevice::ReadOnly) ? file.readLine().trimmed().toLongLong() : -1;
        };
        const QString folder = m_sandbox->programFolder();
        QProcess crashed, running, second, otherFolder; // the sandbox is in their environment
        crashed.start(kExecutable, {});
        QTRY_COMPARE_WITH_TIMEOUT(lockOwner(folder), crashed.processId(), 20000);
        crashed.kill(); // SIGKILL: the lock file stays behind
        QVERIFY(crashed.waitForFinished(10000) && lockOwner(folder) > 0);
        running.start(kExecutable, {});
        QTRY_COMPARE_WITH_TIMEOUT(lockOwner(folder), running.processId(), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(SingleInstance(folder).claim(), SingleInstance::Claim::RunningElsewhere, 20000);

        second.start(kExecutable, {});
        QVERIFY(second.waitForFinished(10000) && second.exitStatus() == QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(second.readAllStandardError().contains("already running"));
        QCOMPARE(running.state(), QProcess::Running);

        {
            // Another program folder whose lock names the live copy above.
            TestSandbox other;
            other.installDataFiles();
            QFile lock(SingleInstance(other.programFolder()).lockPath());
            QVERIFY(lock.open(QIODevice::WriteOnly));
            lock.write(QByteArray::number(running.processId()) + '\n' + folder.toUtf8() + '\n');
            lock.close();
            otherFolder.start(kExecutable, {});
            QTRY_COMPARE_WITH_TIMEOUT(lockOwner(other.programFolder()), otherFolder.processId(), 20000);
            otherFolder.terminate(); // SIGTERM while it may still be starting
            QVERIFY(otherFolder.waitForFinished(10000) && otherFolder.exitStatus() == QProcess::NormalExit);
            QCOMPARE(otherFolder.exitCode(), 0);
            QVERIFY2(!lock.exists(), "a copy ended while starting leaves no lock");
        }

        const QString lockPath = SingleInstance(folder).lockPath();
        running.terminate(); // SIGTERM
        QVERIFY(running.waitForFinished(10000) && running.exitStatus() == QProcess::NormalExit);
        QCOMPARE(running.exitCode(), 0);
        QVERIFY2(!QFileInfo::exists(lockPath), "the lock goes with the copy");
    }

    // A lock that cannot be made does not keep the clock from starting; the
    // operator is told where the lock should be.
    void unusableLockIsReported()
    {
        const QString lock = SingleInstance(m_sandbox->programFolder()).lockPath();
        QVERIFY(QDir().mkpath(lock));
        Application app;
        QCOMPARE(app.start(), Application::Start::WindowsShown);
        const QStringList messages = MessageBox::takeRecordedMessages();
        QVERIFY(QDir().rmdir(lock));
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().contains(lock), qPrintable(messages.first()));
    }

    void noDisplayIsOneClearLine_data()
    {
        QTest::addColumn<QString>("display"); // empty: DISPLAY unset
        QTest::newRow("DISPLAY unset") << QString();
        QTest::newRow("no server there") << ":4711";
    }
    void noDisplayIsOneClearLine()
    {
        QFETCH(QString, display);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DISPLAY"})
            env.remove(QLatin1String(name));
        if (!display.isEmpty())
            env.insert(QStringLiteral("DISPLAY"), display);
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(kExecutable, {});
        QVERIFY(process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        const QString output = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        QVERIFY2(!output.contains(QLatin1Char('\n')) && output.contains(QStringLiteral("no display")),
                 qPrintable(output));
    }

    // The first start shows the defaults; the command menu and the buttons
    // then run it, and "退出" ends it during a run.
    void firstStartThenButtonsAndCommandMenu()
    {
        ProfileFile profile(m_sandbox->filePath(QStringLiteral("TimeData.db")));
        profile.write(QStringLiteral("Marquee"), QStringLiteral("currentrow"), QStringLiteral("3"));
        auto app = std::make_unique<Application>();
        QCOMPARE(app->start(), Application::Start::WindowsShown);
        QCOMPARE(profile.readPart(QStringLiteral("Marquee"), QStringLiteral("currentrow"), QStringLiteral("-10")),
                 QStringLiteral("-10"));
        ClockWindow* window = app->clockWindow();
        MenuHost* menus = app->menuHost();
        QVERIFY(QTest::qWaitForWindowExposed(window) && !menus->isVisible());
        QTRY_COMPARE(window->size(), window->screen()->availableSize());
        QCOMPARE(window->clockText(), QStringLiteral("01:00"));

        QAction* minimise = menus->commandItem(MenuHost::Minimise);
        choose(*app, MenuHost::Minimise);
        QTRY_VERIFY(window->isMinimized());
        QCOMPARE(minimise->text(), QStringLiteral("最大化"));
        minimise->trigger(); // a minimised window is reached through the tray
        QTRY_VERIFY(!window->isMinimized() && window->size() == window->screen()->availableSize());
        QCOMPARE(minimise->text(), QStringLiteral("最小化"));

        choose(*app, MenuHost::Help);
        choose(*app, MenuHost::OnlineHelp);
        QCOMPARE(ShellOpen::takeOpened(), QStringList({QUrl::fromLocalFile(m_sandbox->filePath("help.html")).toString(),
                                                       QString::fromLatin1(kOnlineHelpAddress)}));
        QVERIFY(QFile::remove(m_sandbox->filePath(QStringLiteral("help.html"))));
        choose(*app, MenuHost::Help);
        QCOMPARE(MessageBox::takeRecordedMessages(), QStringList({"help.html不存在，请保证文件完整"}));
        // "背景设置" opens its window over the clock window, one at a time.
        choose(*app, MenuHost::BackgroundSettings);
        QPointer<QDialog> background = window->findChild<QDialog*>(QStringLiteral("Frm_background"));
        QVERIFY(background && background->isVisible() && background->isModal());
        choose(*app, MenuHost::BackgroundSettings);
        QCOMPARE(window->findChildren<QDialog*>(QStringLiteral("Frm_background")).size(), 1);
        background->close();
        QTRY_VERIFY(!background);
        // "统计" opens the records window, one at a time.
        choose(*app, MenuHost::Statistics);
        QPointer<RecordsWindow> records = app->recordsWindow();
        QVERIFY(records && records->isVisible() && records->isModal());
        choose(*app, MenuHost::Statistics);
        QCOMPARE(app->recordsWindow(), records.data());
        records->close();
        QTRY_VERIFY(!records);

        // The buttons run the first commands; the menu follows the run.
        QTest::mouseClick(window->button(0), Qt::LeftButton);
        QTRY_COMPARE(app->engine()->status(), RunStatus::Running);
        QVERIFY(!menus->commandItem(MenuHost::Exit)->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(window->clockText(), QStringLiteral("00:59"), 3000);
        QTest::mouseClick(window->button(2), Qt::LeftButton);
        QVERIFY(menus->commandItem(MenuHost::Pause)->text().startsWith(QStringLiteral("继续")));
        QTest::mouseClick(window->button(2), Qt::LeftButton);
        QCOMPARE(app->engine()->status(), RunStatus::Running);
        choose(*app, MenuHost::Buttons);
        QVERIFY(!window->button(0)->isVisible() && !window->button(4)->isVisible());
        QCOMPARE(profile.readPart(QStringLiteral("clocksite"), QStringLiteral("pictureleft9"), QString()), "2");
        app->runCommand(MenuHost::Exit); // hidden during a run; the tray and the hotkeys still reach it
        RunTimers& t = app->engine()->timers();
        for (TickTimer* timer :
             {&t.timer1, &t.timer3, &t.timer4, &t.timer5, &t.timer7, &t.timer9, &t.timer10, &t.timer11})
            QVERIFY(!timer->isActive());
        QVERIFY(!window->isVisible());

        m_sandbox->writeFile(QStringLiteral("help.html"), "<html></html>"); // the start checks for it
        app = std::make_unique<Application>();                              // the next start keeps the buttons hidden
        QCOMPARE(app->start(), Application::Start::WindowsShown);
        QVERIFY(!app->clockWindow()->buttonsShown() && !app->menuHost()->commandItem(MenuHost::Buttons)->isChecked());
    }

    // A profile file that refuses writes: "按钮" still hides the buttons for
    // the rest of the run, neither a layout pass nor a stage refresh brings
    // them back, and one notice names the file and the reason.
    void refusedProfileKeepsTheButtonState_data()
    {
        QTest::addColumn<Unwritable::Kind>("refusal");
        QTest::newRow("read-only file") << Unwritable::ReadOnlyFile;
        QTest::newRow("folder in the file's place") << Unwritable::FolderInPlace;
    }
    void refusedProfileKeepsTheButtonState()
    {
        QFETCH(Unwritable::Kind, refusal);
        const QString path = m_sandbox->filePath(QStringLiteral("TimeData.db"));
        Application app;
        QCOMPARE(app.start(), Application::Start::WindowsShown);
        ClockWindow* window = app.clockWindow();
        QVERIFY(window->buttonsShown());
        Unwritable unwritable(refusal, path);
        if (!unwritable.holds())
            QSKIP("root writes whatever the permissions say; the other row refuses writes anyway");

        app.runCommand(MenuHost::Buttons);
        const QStringList told = MessageBox::takeRecordedMessages();
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.at(0).startsWith("无法保存设置到 " + path + "（") &&
                     told.at(0).endsWith("），本次运行中保留修改，程序退出后将丢失") && !told.at(0).contains("（）"),
                 qPrintable(told.at(0)));
        window->relayout();
        QVERIFY(!window->buttonsShown() && window->button(0)->isHidden());
        window->applyStage(app.currentStage()->get()); // reads the state from the profile again
        QVERIFY(!window->buttonsShown() && window->button(0)->isHidden());
        QCOMPARE(ProfileSnapshot(path).readPart("clocksite", "pictureleft9", ""), QStringLiteral("2"));

        app.runCommand(MenuHost::Buttons);
        window->applyStage(app.currentStage()->get());
        QVERIFY(window->buttonsShown() && !window->button(0)->isHidden());
        QCOMPARE(ProfileFile(path).readPart("clocksite", "pictureleft9", ""), QStringLiteral("1"));
        QCOMPARE(MessageBox::takeRecordedMessages(), QStringList()); // told once per file
    }

    void stageSelectionFollowsTheDatabase_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("none") << QString() << QStringList();
        QTest::newRow("two") << "(2, '总结'), (1, 'O''Brien 报告')" << QStringList{"O'Brien 报告", "总结"};
        QTest::newRow("damaged") << QString() << QStringList();
    }
    void stageSelectionFollowsTheDatabase()
    {
        QFETCH(QString, rows);
        QFETCH(QStringList, names);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
            db.setDatabaseName(m_sandbox->filePath(QStringLiteral("DeskData.db")));
            QVERIFY(db.open() &&
                    (rows.isEmpty() || QSqlQuery(db).exec("INSERT INTO deskclock (ID, clockname) VALUES " + rows)));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("fill"));
        if (QTest::currentDataTag() == QLatin1String("damaged"))
            m_sandbox->writeFile(QStringLiteral("DeskData.db"), "not a database");
        Application app;
        QCOMPARE(app.start(), Application::Start::WindowsShown);
        QStringList shown;
        for (const StageRow& stage : app.menuHost()->stageEntries())
            shown << stage.name;
        QCOMPARE(shown, names);
        QCOMPARE(app.menuHost()->commandItem(MenuHost::StageSelection)->isVisible(), !names.isEmpty());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
