#include "TestSupport.h"
#include "app/Application.h"
#include "display/ClockFace.h"
#include "display/ClockWindow.h"
#include "display/LogoBox.h"
#include "support/MessageBox.h"

#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QtTest>

using namespace melvanta;

// On a fresh program folder no two elements of the clock screen overlap, at
// the screen sizes rooms have. Each size runs in a copy of this test on the
// offscreen platform with one display of that size (MELVANTA_LAYOUT_CHILD).
class TestFirstRunLayout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void noElementsOverlap_data();
    void noElementsOverlap();
};

namespace {

// Lays out a fresh program folder on the display this process has and
// returns what overlaps, empty when nothing does.
QString overlapsOnThisScreen()
{
    MessageBox::setTestHook(true);
    TestSandbox sandbox;
    sandbox.installDataFiles();
    Application app;
    if (app.start() != Application::Start::WindowsShown)
        return QStringLiteral("no window");
    ClockWindow* window = app.clockWindow();
    const QSize screen = QGuiApplication::primaryScreen()->availableSize();
    // The offscreen platform has no window manager to maximise the window.
    window->setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    if (!QTest::qWaitFor([&] { return window->size() == screen; }, 5000))
        return QStringLiteral("the window did not fill the screen");
    window->SetAdjustMode(1); // empty lines show their names, so they have a size
    window->showOvertimeText(QStringLiteral("00:00:00"));
    QCoreApplication::processEvents();

    struct Element
    {
        const char* name;
        QWidget* widget;
    };
    QList<Element> elements{{"main title", window->textBox(0)}, {"subtitle", window->textBox(1)},
                            {"prompt", window->textBox(3)},     {"dynamic text", window->textBox(4)},
                            {"clock", window->clockFace()},     {"overtime clock", window->overtimeFace()},
                            {"logo", window->logoBox()}};
    for (int i = 0; i < kButtonCount; ++i)
        elements.append({"a button", window->button(i)});
    QString faults;
    const QRect area(QPoint(0, 0), screen);
    for (int i = 0; i < elements.size(); ++i) {
        const Element& a = elements.at(i);
        if (a.widget->isHidden())
            continue;
        if (!area.contains(a.widget->geometry()))
            faults += QStringLiteral("%1 %2 leaves the screen; ")
                          .arg(QLatin1String(a.name))
                          .arg(QStringLiteral("%1,%2 %3x%4")
                                   .arg(a.widget->x())
                                   .arg(a.widget->y())
                                   .arg(a.widget->width())
                                   .arg(a.widget->height()));
        for (int j = i + 1; j < elements.size(); ++j) {
            const Element& b = elements.at(j);
            if (!b.widget->isHidden() && a.widget->geometry().intersects(b.widget->geometry()))
                faults += QStringLiteral("%1 (%2,%3 %4x%5) overlaps %6 (%7,%8 %9x%10); ")
                              .arg(QLatin1String(a.name))
                              .arg(a.widget->x())
                              .arg(a.widget->y())
                              .arg(a.widget->width())
                              .arg(a.widget->height())
                              .arg(QLatin1String(b.name))
                              .arg(b.widget->x())
                              .arg(b.widget->y())
                              .arg(b.widget->width())
                              .arg(b.widget->height());
        }
    }
    return faults;
}

} // namespace

void TestFirstRunLayout::noElementsOverlap_data()
{
    QTest::addColumn<QSize>("size");
    for (const QSize& size : {QSize(1920, 1080), QSize(1366, 768), QSize(1280, 720), QSize(1024, 768)})
        QTest::addRow("%dx%d", size.width(), size.height()) << size;
}

void TestFirstRunLayout::noElementsOverlap()
{
    QFETCH(QSize, size);
    TestSandbox sandbox;
    const QString config = sandbox.writeFile(
        QStringLiteral("screens.json"),
        QStringLiteral(
            R"({"screens": [{"name": "room", "x": 0, "y": 0, "width": %1, "height": %2, "logicalDpi": 96}]})")
            .arg(size.width())
            .arg(size.height())
            .toUtf8());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MELVANTA_LAYOUT_CHILD"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + config);
    QProcess child;
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(60000));
    const QString faults = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
    QVERIFY2(child.exitCode() == 0 && faults.isEmpty(), qPrintable(faults + child.readAllStandardError()));
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet("MELVANTA_LAYOUT_CHILD")) {
        QApplication app(argc, argv);
        QTextStream(stdout) << overlapsOnThisScreen();
        return 0;
    }
    QApplication app(argc, argv);
    TestFirstRunLayout test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_firstrunlayout.moc"
