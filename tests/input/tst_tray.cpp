#include "TestSupport.h"
#include "app/Application.h"
#include "display/ClockWindow.h"
#include "display/MenuHost.h"
#include "input/TrayIcon.h"
#include "support/MessageBox.h"
#include "timing/RunEngine.h"

#include <QAction>
#include <QMenu>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QtTest>

using namespace melvanta;

// The tray icon in a notification area of its own X session (trayer, an
// XEmbed tray: the test runs without a session bus).
namespace {

void xdotool(const QStringList& arguments)
{
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), arguments), 0);
}

void clickAt(const QPoint& global, const QString& button, int repeat = 1)
{
    xdotool({QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y())});
    xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(repeat), button});
}

class TrayHost
{
public:
    void start()
    {
        m_process.start(QStringLiteral("trayer"),
                        {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                         QStringLiteral("right"), QStringLiteral("--height"), QStringLiteral("32")});
        QVERIFY(m_process.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
    }
    ~TrayHost()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

} // namespace

class TestTray : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { MessageBox::setTestHook(true); }
    void cleanup() { MessageBox::setTestHook(false); }

    void tipIsCut_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("shown");
        QTest::addRow("short") << 8 << 8;
        QTest::addRow("127") << 127 << 127;
        QTest::addRow("200") << 200 << 127;
    }
    void tipIsCut()
    {
        QFETCH(int, length);
        QFETCH(int, shown);
        TrayIcon tray;
        QMenu menu;
        tray.AddTrayIcon(QIcon(QPixmap(16, 16)), &menu);
        QString tip;
        for (int i = 0; i < length; ++i)
            tip += QChar(u'时' + i % 7);
        tray.SetTrayTip(tip);
        QCOMPARE(tray.systemTrayIcon()->toolTip(), tip.left(shown));
    }

    // Without a notification area the program runs as ever; the icon docks
    // once one starts.
    void hostStartsLater()
    {
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        TestSandbox sandbox;
        sandbox.installDataFiles();
        storeCurrentStage(600);
        Application app;
        QCOMPARE(app.start(), Application::Start::WindowsShown);
        QCOMPARE(app.tray()->systemTrayIcon()->toolTip(), QStringLiteral("Melvanta"));
        app.runCommand(MenuHost::Start);
        QTRY_COMPARE(app.engine()->status(), RunStatus::Running);
        TrayHost host;
        host.start();
        QTRY_VERIFY_WITH_TIMEOUT(!app.tray()->systemTrayIcon()->geometry().isEmpty(), 10000);
    }

    // A right click opens the command menu, whose items work while the
    // window is minimised; other clicks do nothing.
    void rightClickOpensTheCommandMenu()
    {
        TrayHost host;
        host.start();
        TestSandbox sandbox;
        sandbox.installDataFiles();
        storeCurrentStage(600);
        Application app;
        QCOMPARE(app.start(), Application::Start::WindowsShown);
        QSystemTrayIcon* icon = app.tray()->systemTrayIcon();
        QTRY_VERIFY_WITH_TIMEOUT(!icon->geometry().isEmpty(), 10000);
        QVERIFY(QTest::qWaitForWindowExposed(app.clockWindow()));
        app.runCommand(MenuHost::Minimise);
        QTRY_VERIFY(app.clockWindow()->isMinimized());
        QMenu* menu = app.menuHost()->commandMenu();

        clickAt(icon->geometry().center(), QStringLiteral("1"), 2);
        QTest::qWait(500);
        QVERIFY(!menu->isVisible());
        clickAt(icon->geometry().center(), QStringLiteral("2"));
        QTest::qWait(300);
        QVERIFY(!menu->isVisible());
        QCOMPARE(app.engine()->status(), RunStatus::Idle);

        clickAt(icon->geometry().center(), QStringLiteral("3"));
        QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), 5000);
        QAction* start = app.menuHost()->commandItem(MenuHost::Start);
        clickAt(menu->mapToGlobal(menu->actionGeometry(start).center()), QStringLiteral("1"));
        QTRY_COMPARE(app.engine()->status(), RunStatus::Running);
        QVERIFY(app.clockWindow()->isMinimized());
    }
};

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
