#include "DataRows.h"
#include "TestSupport.h"
#include "app/Application.h"
#include "display/MenuHost.h"
#include "input/HotkeyControl.h"
#include "platform/GlobalHotkeys.h"
#include "settings/HotkeyCaptureBox.h"
#include "settings/SettingsDialog.h"
#include "stages/StageDatabase.h"
#include "storage/ProfileFile.h"
#include "support/MessageBox.h"
#include "timing/RunEngine.h"

#include <QAction>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <cstdio>

using namespace melvanta;

// Keys pressed through the X server from another process (xdotool), while
// another program's window holds the focus: the program under test runs in
// an X session of this test's own.
namespace {

void xdotool(const QStringList& arguments)
{
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), arguments), 0);
}

void xmodmap(const QStringList& expressions)
{
    QStringList arguments;
    for (const QString& expression : expressions)
        arguments << QStringLiteral("-e") << expression;
    QCOMPARE(QProcess::execute(QStringLiteral("xmodmap"), arguments), 0);
}

void writeKeys(const TestSandbox& sandbox, const QString& start, const QString& stop, const QString& pause,
               const QString& often = QStringLiteral("00"))
{
    ProfileFile profile(sandbox.filePath(QLatin1String(kProfileFileName)));
    profile.write(QStringLiteral("Hotkey"), QStringLiteral("start"), start);
    profile.write(QStringLiteral("Hotkey"), QStringLiteral("stop"), stop);
    profile.write(QStringLiteral("Hotkey"), QStringLiteral("pause"), pause);
    profile.write(QStringLiteral("Hotkey"), QStringLiteral("opentogetherstop"),
                  start == stop ? QStringLiteral("1") : QStringLiteral("0"));
    profile.write(QStringLiteral("Hotkey"), QStringLiteral("often"), often);
}

void storeStages(const TestSandbox& sandbox, int count)
{
    StageDatabase db(sandbox.filePath(QStringLiteral("DeskData.db")));
    QList<int> ids;
    for (const StageRow& row : db.list().value_or(QList<StageRow>()))
        ids << row.id;
    QVERIFY(ids.isEmpty() || db.remove(ids));
    for (int i = 1; i <= count; ++i) {
        StageSettings stage = StageSettings::defaults();
        stage.Time_all = QTime(0, 0, 0).addSecs(60 * i);
        QCOMPARE(int(db.add(QStringLiteral("阶段%1").arg(i), QString(), stage)), int(StageDatabase::Added::Added));
    }
}

// A program of its own folder with the three command keys and a stage of
// ten minutes, started.
struct ProgramWithKeys
{
    ProgramWithKeys(const QString& start, const QString& stop, const QString& pause)
    {
        sandbox.installDataFiles();
        storeCurrentStage(600);
        writeKeys(sandbox, start, stop, pause);
        started = app.start() == Application::Start::WindowsShown;
    }
    TestSandbox sandbox;
    Application app;
    bool started = false;
};

// Another program with a window of its own that takes the focus.
class FocusHolder
{
public:
    FocusHolder()
    {
        m_process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-focus")});
        QVERIFY(m_process.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(output().contains("focused"), 10000);
    }
    ~FocusHolder()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    QByteArray output()
    {
        m_seen += m_process.readAllStandardOutput();
        return m_seen;
    }

private:
    QProcess m_process;
    QByteArray m_seen;
};

} // namespace

class TestHotkeys : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { MessageBox::setTestHook(true); }
    void cleanup()
    {
        MessageBox::setTestHook(false);
        // The locks off again, and NumLock where the session had it.
        xmodmap({QStringLiteral("clear mod3"), QStringLiteral("clear mod2"), QStringLiteral("add mod2 = Num_Lock")});
    }

    void commandKeysFromAnotherWindow_data()
    {
        QTest::addColumn<QStringList>("locks");
        QTest::addRow("no lock") << QStringList();
        QTest::addRow("NumLock") << QStringList{QStringLiteral("Num_Lock")};
        QTest::addRow("CapsLock") << QStringList{QStringLiteral("Caps_Lock")};
        QTest::addRow("both") << QStringList{QStringLiteral("Num_Lock"), QStringLiteral("Caps_Lock")};
    }
    void commandKeysFromAnotherWindow()
    {
        QFETCH(QStringList, locks);
        ProgramWithKeys program(QStringLiteral("F9"), QStringLiteral("F10"), QStringLiteral("Ctrl+Alt+P"));
        QVERIFY(program.started);
        Application& app = program.app;
        QCOMPARE(app.hotkeys()->registeredIds(), (QList<int>{1, 2, 3}));
        QCOMPARE(app.menuHost()->commandItem(MenuHost::Pause)->text(), QStringLiteral("暂停        Ctrl+Alt+P"));
        FocusHolder other;
        for (const QString& lock : locks)
            xdotool({QStringLiteral("key"), lock});
        xdotool({QStringLiteral("key"), QStringLiteral("F9")});
        QTRY_COMPARE(app.engine()->status(), RunStatus::Running);
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+p")});
        QTRY_COMPARE(app.engine()->status(), RunStatus::Paused);
        xdotool({QStringLiteral("key"), QStringLiteral("F10")});
        QTRY_COMPARE(app.engine()->status(), RunStatus::Cleared);
        for (const QString& lock : locks)
            xdotool({QStringLiteral("key"), lock});
        // The keys were the program's: the window in front never saw them.
        QVERIFY2(!other.output().contains("key"), other.output().constData());
        QVERIFY(MessageBox::takeRecordedMessages().isEmpty());
    }

    // Start = stop: one key toggles; held down with the key repeating, it
    // still counts once.
    void oneKeyStartsAndStops()
    {
        ProgramWithKeys program(QStringLiteral("F9"), QStringLiteral("F9"), QString::fromUtf8(kNoHotkey));
        QVERIFY(program.started);
        Application& app = program.app;
        app.hotkeys()->Hotkey_set(); // a second set-up holds each key once still
        QCOMPARE(app.hotkeys()->registeredIds(), QList<int>{1});
        QCOMPARE(app.menuHost()->commandItem(MenuHost::Pause)->text(), QStringLiteral("暂停        "));
        FocusHolder other;
        xdotool({QStringLiteral("keydown"), QStringLiteral("F9")});
        QTest::qWait(2000);
        xdotool({QStringLiteral("keyup"), QStringLiteral("F9")});
        QTRY_COMPARE(app.engine()->status(), RunStatus::Running);
        QTest::qWait(300);
        QCOMPARE(app.engine()->status(), RunStatus::Running);
        xdotool({QStringLiteral("key"), QStringLiteral("F9")});
        QTRY_COMPARE(app.engine()->status(), RunStatus::Cleared);
    }

    // A new keyboard mapping moves NumLock to another modifier: the keys are
    // grabbed again with it.
    void keyboardMappingChange()
    {
        ProgramWithKeys program(QStringLiteral("F9"), QStringLiteral("F10"), QString());
        QVERIFY(program.started);
        Application& app = program.app;
        FocusHolder other;
        xmodmap({QStringLiteral("clear mod2"), QStringLiteral("add mod3 = Num_Lock")});
        QTest::qWait(500);
        xdotool({QStringLiteral("key"), QStringLiteral("Num_Lock")});
        xdotool({QStringLiteral("key"), QStringLiteral("F9")});
        QTRY_COMPARE(app.engine()->status(), RunStatus::Running);
        xdotool({QStringLiteral("key"), QStringLiteral("Num_Lock")});
    }

    void stageKeys_data()
    {
        QTest::addColumn<int>("stages");
        QTest::addColumn<QString>("often");
        QTest::addColumn<QString>("press");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<int>("registered");
        addTestRow("Ctrl+Num 2 of three", 3, QStringLiteral("10"), QStringLiteral("ctrl+KP_2"), 1, 6);
        addTestRow("Ctrl+3 of three", 3, QStringLiteral("10"), QStringLiteral("ctrl+3"), 2, 6);
        addTestRow("Alt+9 of twelve", 12, QStringLiteral("01"), QStringLiteral("alt+9"), 8, 18);
        addTestRow("Ctrl+Alt+1", 2, QStringLiteral("11"), QStringLiteral("ctrl+alt+1"), 0, 4);
        addTestRow("off", 3, QStringLiteral("00"), QString(), -1, 0);
    }
    void stageKeys()
    {
        QFETCH(int, stages);
        QFETCH(QString, often);
        QFETCH(QString, press);
        QFETCH(int, chosen);
        QFETCH(int, registered);
        TestSandbox sandbox;
        sandbox.installDataFiles();
        storeStages(sandbox, stages);
        writeKeys(sandbox, QString(), QString(), QString(), often);
        Application app;
        QCOMPARE(app.start(), Application::Start::WindowsShown);
        QCOMPARE(app.hotkeys()->registeredIds().size(), registered);
        if (press.isEmpty())
            return;
        FocusHolder other;
        xdotool({QStringLiteral("key"), press});
        QTRY_COMPARE(app.menuHost()->checkedStageEntry(), chosen);
    }

    // A key another program holds: one message, the other keys still work.
    void keyTakenByAnotherProgram()
    {
        QProcess holder;
        holder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--grab-f10")});
        QVERIFY(holder.waitForStarted());
        QByteArray said;
        QTRY_VERIFY2_WITH_TIMEOUT((said += holder.readAllStandardOutput()).contains("grabbed"),
                                  qPrintable(said + holder.readAllStandardError()), 10000);
        ProgramWithKeys program(QStringLiteral("F9"), QStringLiteral("F10"), QStringLiteral("F10"));
        QVERIFY(program.started);
        Application& app = program.app;
        QCOMPARE(app.hotkeys()->registeredIds(), QList<int>{1});
        const QList<MessageBox::Recorded> boxes = MessageBox::takeRecordedBoxes();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.at(0).title, QStringLiteral("Melvanta"));
        QCOMPARE(boxes.at(0).text, QStringLiteral("热键F10被其它程序占有\n\n请更改热键或关闭其他程序以便设置\n\n"
                                                  "也可右键单击桌面，执行菜单相应命令\n\n"
                                                  "要使用热键请重新设置(设置→系统热键)"));
        xdotool({QStringLiteral("key"), QStringLiteral("F9")});
        QTRY_COMPARE(app.engine()->status(), RunStatus::Running);
        holder.kill();
        holder.waitForFinished();
    }

    // The settings dialog takes the keys for its capture boxes; a key set
    // there works once it has been applied and the dialog is closed.
    void keySetInTheDialog()
    {
        ProgramWithKeys program(QStringLiteral("F9"), QStringLiteral("F10"), QString());
        QVERIFY(program.started);
        Application& app = program.app;
        app.runCommand(MenuHost::Settings);
        SettingsDialog* dialog = app.settingsDialog();
        QVERIFY(dialog);
        QVERIFY(app.hotkeys()->registeredIds().isEmpty());
        auto* startBox = dialog->findChild<HotkeyCaptureBox*>(QStringLiteral("Text4_0"));
        QVERIFY(startBox);
        QTest::keyClick(startBox, Qt::Key_F8);
        QCOMPARE(startBox->text(), QStringLiteral("F8"));
        auto* apply = dialog->findChild<QPushButton*>(QStringLiteral("Command1"));
        QVERIFY(apply);
        apply->click();
        QVERIFY(app.hotkeys()->registeredIds().isEmpty());
        QCOMPARE(app.menuHost()->commandItem(MenuHost::Start)->text(), QStringLiteral("开始        F8"));
        dialog->close();
        QTRY_VERIFY(!app.settingsDialog());
        QCOMPARE(app.hotkeys()->registeredIds(), (QList<int>{1, 2}));
        xdotool({QStringLiteral("key"), QStringLiteral("F8")});
        QTRY_COMPARE(app.engine()->status(), RunStatus::Running);
    }
};

// The test's helper programs: a window that holds the focus and reports
// each key it gets, and a program that holds F10.
int main(int argc, char** argv)
{
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "--hold-focus") {
        QApplication app(argc, argv);
        QLineEdit window;
        window.setWindowTitle(QStringLiteral("focus holder"));
        window.resize(400, 60);
        window.show();
        window.activateWindow();
        QObject::connect(&window, &QLineEdit::textChanged, [] { std::puts("key"), std::fflush(stdout); });
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&window, &poll] {
            if (window.hasFocus() && window.isActiveWindow()) {
                std::puts("focused");
                std::fflush(stdout);
                poll.stop();
            }
        });
        poll.start(50);
        return app.exec();
    }
    if (mode == "--grab-f10") {
        QApplication app(argc, argv);
        const auto keys = GlobalHotkeys::create();
        if (keys->registerHotkey(1, 0, 121) != GlobalHotkeys::Outcome::Registered)
            return 1;
        std::puts("grabbed");
        std::fflush(stdout);
        return app.exec();
    }
    QApplication app(argc, argv);
    TestHotkeys test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hotkeys.moc"
