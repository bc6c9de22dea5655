#include "TestSupport.h"
#include "app/Application.h"
#include "core/CurrentStage.h"
#include "display/ClockFace.h"
#include "display/ClockWindow.h"
#include "display/MenuHost.h"
#include "support/MessageBox.h"
#include "timing/RunEngine.h"

#include <QAction>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QtTest>
#include <qpa/qplatformnativeinterface.h>

using namespace melvanta;

// The clock follows its display: a resolution switch through xrandr (on a
// nested X server of the test's own, which can switch modes), idle and
// running, and an extended display unplugged and plugged in again (on the
// offscreen platform, whose displays a test can replace). Each case runs in
// a copy of this test on its display (MELVANTA_SCREEN_CHILD names the case).
class TestScreenChange : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void displayChangesAreFollowed_data();
    void displayChangesAreFollowed();
};

namespace {

const char kChildCase[] = "MELVANTA_SCREEN_CHILD";
constexpr int kNestedWidth = 1600;
constexpr int kNestedHeight = 1200;

// Where the clock, the titles, the prompt and the buttons are.
QList<QRect> elementPlaces(const ClockWindow& window)
{
    QList<QRect> places{window.clockFace()->geometry(), window.textBox(0)->geometry(), window.textBox(1)->geometry(),
                        window.textBox(3)->geometry()};
    for (int i = 0; i < kButtonCount; ++i)
        places.append(window.button(i)->geometry());
    return places;
}

// The places a window that starts on a display of `area`'s size gives the
// same stage showing the same prompt.
QList<QRect> freshPlaces(ClockWindow& running, const QRect& area)
{
    CurrentStage stage(running.stage());
    ClockWindow fresh(running.stores(), stage);
    fresh.setScreen(QGuiApplication::screenAt(area.center()));
    fresh.applyStage(stage.get());
    // A run shows its phase's prompt, whose height takes part in the layout.
    fresh.setPromptText(running.textLine(3)->text());
    fresh.setPromptVisible(running.textBox(3)->isVisible());
    fresh.resize(area.size());
    fresh.relayout();
    return elementPlaces(fresh);
}

bool switchMode(int width, int height)
{
    const QString mode = QStringLiteral("%1x%2").arg(width).arg(height);
    return QProcess::execute(QStringLiteral("xrandr"), {"--output", "default", "--mode", mode}) == 0;
}

// The window fills `area` and its elements stand where a fresh start there puts them.
bool followsArea(ClockWindow& window, const QRect& area)
{
    return QTest::qWaitFor(
        [&] { return window.geometry() == area && elementPlaces(window) == freshPlaces(window, area); }, 8000);
}

QString describe(ClockWindow& window, const QRect& area)
{
    QString text;
    QDebug(&text) << "window" << window.geometry() << "area" << area << "\nplaces" << elementPlaces(window)
                  << "\nfresh " << freshPlaces(window, area);
    return text;
}

void replaceOffscreenDisplays(const QJsonArray& screens)
{
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    auto setConfiguration = reinterpret_cast<void (*)(QJsonObject, QPlatformNativeInterface*)>(
        native->nativeResourceForIntegration("setConfiguration"));
    QVERIFY(setConfiguration);
    setConfiguration(QJsonObject{{"screens", screens}}, native);
}

QJsonObject offscreenDisplay(const char* name, int x, int width, int height)
{
    return QJsonObject{{"name", name}, {"x", x}, {"y", 0}, {"width", width}, {"height", height}};
}

// Runs in the copy: the case named in kChildCase on the display it has.
void runChildCase(const QString& childCase)
{
    MessageBox::setTestHook(true);
    TestSandbox sandbox;
    sandbox.installDataFiles();
    Application app;
    QCOMPARE(app.start(), Application::Start::WindowsShown);
    ClockWindow& window = *app.clockWindow();
    const QRect startArea = QGuiApplication::primaryScreen()->availableGeometry();
    if (childCase == QLatin1String("unplug")) {
        QAction* extended = app.menuHost()->commandItem(MenuHost::ExtendedScreen);
        extended->trigger();
        const QRect right = QGuiApplication::screens().at(1)->availableGeometry();
        QVERIFY2(followsArea(window, right), qPrintable(describe(window, right)));
        replaceOffscreenDisplays({offscreenDisplay("left", 0, 1280, 720)});
        QVERIFY2(followsArea(window, QRect(0, 0, 1280, 720)), qPrintable(describe(window, QRect(0, 0, 1280, 720))));
        QVERIFY(extended->isChecked());
        replaceOffscreenDisplays({offscreenDisplay("left", 0, 1280, 720), offscreenDisplay("right", 1280, 1024, 768)});
        const QRect back(1280, 0, 1024, 768);
        QVERIFY2(followsArea(window, back), qPrintable(describe(window, back)));
        return;
    }
    const bool running = childCase == QLatin1String("running");
    if (running) {
        app.runCommand(MenuHost::Start);
        QTRY_COMPARE(app.engine()->status(), RunStatus::Running);
        QTRY_VERIFY(!window.textLine(3)->text().isEmpty());
    }
    // The places to come back to: a run's prompt stands in them.
    QVERIFY2(followsArea(window, startArea), qPrintable(describe(window, startArea)));
    const QList<QRect> startPlaces = elementPlaces(window);
    QVERIFY(switchMode(1024, 768));
    const QRect small(0, 0, 1024, 768);
    QVERIFY2(followsArea(window, small), qPrintable(describe(window, small)));
    QVERIFY(switchMode(kNestedWidth, kNestedHeight));
    QVERIFY2(followsArea(window, startArea), qPrintable(describe(window, startArea)));
    QCOMPARE(elementPlaces(window), startPlaces);
    if (running) {
        // The clock went on through both switches.
        QCOMPARE(app.engine()->status(), RunStatus::Running);
        const QString shown = window.clockText();
        QTRY_VERIFY_WITH_TIMEOUT(window.clockText() != shown, 3000);
    }
}

// A display number nobody uses on this machine.
int freeDisplayNumber()
{
    for (int number = 90; number < 200; ++number) {
        if (!QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)) &&
            !QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
            return number;
    }
    return -1;
}

} // namespace

void TestScreenChange::displayChangesAreFollowed_data()
{
    QTest::addColumn<QString>("childCase");
    QTest::newRow("resolution switch while idle") << "idle";
    QTest::newRow("resolution switch while running") << "running";
    QTest::newRow("extended display unplugged and back") << "unplug";
}

void TestScreenChange::displayChangesAreFollowed()
{
    QFETCH(QString, childCase);
    if (qEnvironmentVariableIsSet(kChildCase)) {
        if (childCase == qEnvironmentVariable(kChildCase))
            runChildCase(childCase);
        return;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(kChildCase), childCase);
    // LeakSanitizer's exit-time tracer has crashed in these copies (offscreen
    // displays replaced, nested X servers); their leaks are the same code's
    // as this process's, which is still checked.
    if (env.contains(QStringLiteral("ASAN_OPTIONS")))
        env.insert(QStringLiteral("ASAN_OPTIONS"), env.value(QStringLiteral("ASAN_OPTIONS")) + ":detect_leaks=0");
    QTemporaryDir work;
    QProcess server, windowManager;
    if (childCase == QLatin1String("unplug")) {
        const QString config = work.filePath(QStringLiteral("screens.json"));
        QFile file(config);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"({"screens": [{"name": "left", "x": 0, "y": 0, "width": 1280, "height": 720},
            {"name": "right", "x": 1280, "y": 0, "width": 1024, "height": 768}]})");
        file.close();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + config);
    } else {
        // Xvfb keeps the one mode it starts with; a nested Xephyr switches
        // between its modes as a real output does.
        const QString xephyr = QStandardPaths::findExecutable(QStringLiteral("Xephyr"));
        QVERIFY2(!xephyr.isEmpty(), "Xephyr is installed by tools/install-deps.sh");
        const int number = freeDisplayNumber();
        const QString display = QStringLiteral(":%1").arg(number);
        server.start(xephyr, {display, "-screen", QStringLiteral("%1x%2").arg(kNestedWidth).arg(kNestedHeight),
                              "-nolisten", "tcp", "-auth", "/dev/null"});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)), 10000);
        env.insert(QStringLiteral("DISPLAY"), display);
        windowManager.setProcessEnvironment(env);
        windowManager.start(QStringLiteral("matchbox-window-manager"), {"-use_titlebar", "no"});
        QVERIFY(windowManager.waitForStarted());
    }
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"displayChangesAreFollowed:" + QString(QTest::currentDataTag())});
    const bool finished = child.waitForFinished(90000);
    QVERIFY2(finished && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
             child.readAll().constData());
    windowManager.kill();
    windowManager.waitForFinished(5000);
    server.terminate();
    server.waitForFinished(5000);
}

QTEST_MAIN(TestScreenChange)
#include "tst_screenchange.moc"
