#include "TestSupport.h"
#include "app/Application.h"
#include "display/ClockWindow.h"
#include "display/MenuHost.h"
#include "support/MessageBox.h"

#include <QAction>
#include <QProcess>
#include <QScreen>
#include <QtTest>

using namespace melvanta;

// "扩展屏显示" on the single display of the test run, then in a copy of this
// test (MELVANTA_TWO_SCREEN_CHILD set) on two displays side by side.
class TestExtendedScreen : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void extendedScreen();
};

void TestExtendedScreen::extendedScreen()
{
    const bool twoScreens = qEnvironmentVariableIsSet("MELVANTA_TWO_SCREEN_CHILD");
    QVERIFY2(QGuiApplication::screens().size() == (twoScreens ? 2 : 1), "one display here, two in the copy");
    MessageBox::setTestHook(true);
    TestSandbox sandbox;
    sandbox.installDataFiles();
    Application app;
    QCOMPARE(app.start(), Application::Start::WindowsShown);
    QAction* item = app.menuHost()->commandItem(MenuHost::ExtendedScreen);
    item->trigger();
    QCOMPARE(item->isChecked(), twoScreens);
    QCOMPARE(MessageBox::takeRecordedMessages(), twoScreens ? QStringList() : QStringList{"没有连接扩展屏，请确认"});
    QTRY_COMPARE(app.clockWindow()->geometry(), QGuiApplication::screens().at(twoScreens)->availableGeometry());
    if (twoScreens) {
        item->trigger(); // back to the primary display
        QTRY_COMPARE(app.clockWindow()->geometry(), QGuiApplication::primaryScreen()->availableGeometry());
        return;
    }
    // Xvfb shows Qt no two displays side by side (its Xinerama heads overlap, its RandR keeps one
    // monitor), so the copy runs on the offscreen platform with two displays configured.
    const QString config = sandbox.writeFile(QStringLiteral("screens.json"), R"({"screens": [
        {"name": "left", "x": 0, "y": 0, "width": 1280, "height": 720},
        {"name": "right", "x": 1280, "y": 0, "width": 1024, "height": 768}]})");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MELVANTA_TWO_SCREEN_CHILD"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + config);
    QProcess child; // killed on destruction should it hang
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY2(child.waitForFinished(60000) && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
             child.readAll().constData());
}

QTEST_MAIN(TestExtendedScreen)
#include "tst_extendedscreen.moc"
