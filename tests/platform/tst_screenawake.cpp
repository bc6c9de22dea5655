#include "platform/ScreenAwake.h"
#include "platform/ServerScreenSaver.h"

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace melvanta;

// Stands in for the desktop's screen saver service and logs what it is asked.
class FakeScreenSaver : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QStringList log;

public Q_SLOTS:
    uint Inhibit(const QString& application, const QString&)
    {
        log << QStringLiteral("Inhibit ") + application;
        return 7001;
    }
    void UnInhibit(uint cookie) { log << QStringLiteral("UnInhibit %1").arg(cookie); }
};

namespace {

// Carries out "hold", "release" or "destroy"; false for any other step.
bool act(std::unique_ptr<ScreenAwake>& awake, const QString& step)
{
    if (step == QLatin1String("hold"))
        awake->hold();
    else if (step == QLatin1String("release"))
        awake->release();
    else if (step == QLatin1String("destroy"))
        awake.reset();
    else
        return false;
    return true;
}

// Qt meets the session bus once per process, so each bus case runs in a copy of
// this program: it starts a dbus-daemon of its own when MELVANTA_OWN_BUS is set,
// serves the fake there on a connection of its own, carries out MELVANTA_STEPS,
// and prints what the service was asked and every step that stalled.
int runSteps(int argc, char** argv)
{
    QTemporaryDir dir;
    QProcess daemon;
    QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    if (qEnvironmentVariableIsSet("MELVANTA_OWN_BUS")) {
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                      QStringLiteral("--address=unix:path=%1/bus").arg(dir.path())});
        if (!daemon.waitForReadyRead(5000))
            return 2;
        address = daemon.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    }
    QGuiApplication app(argc, argv);
    FakeScreenSaver fake;
    QDBusConnection service = QDBusConnection::connectToBus(QString::fromUtf8(address), QStringLiteral("fake"));
    service.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &fake, QDBusConnection::ExportAllSlots);
    service.registerService(QStringLiteral("org.freedesktop.ScreenSaver"));

    QTextStream out(stdout);
    std::unique_ptr<ScreenAwake> awake = ScreenAwake::create();
    for (const QString& step : qEnvironmentVariable("MELVANTA_STEPS").split(QLatin1Char(' '))) {
        QElapsedTimer clock;
        clock.start();
        if (step == QLatin1String("kill")) { // as a crash would: no goodbye to the clients
            daemon.kill();
            daemon.waitForFinished(5000);
        } else if (step == QLatin1String("cookie")) { // the service answers, and the answer arrives
            (void)QTest::qWaitFor([&] { return !fake.log.isEmpty(); }, 5000);
            QTest::qWait(200);
        } else if (act(awake, step) && clock.elapsed() > 100) {
            out << "stalled " << step << ' ' << clock.elapsed() << " ms\n";
        }
    }
    QTest::qWait(300); // whatever still comes
    for (const QString& line : qAsConst(fake.log))
        out << line << '\n';
    daemon.kill();
    daemon.waitForFinished(5000);
    return 0;
}

} // namespace

class TestScreenAwake : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // Needs an X11 display with MIT-SCREEN-SAVER 1.1 (tools/with-display.sh).
        QVERIFY(ServerScreenSaver::extensionVersion() >= QVersionNumber(1, 1));
        m_saved = ServerScreenSaver::settings();
    }

    void cleanup()
    {
        // Other tests share this X server.
        ServerScreenSaver::setSettings(m_saved);
        ServerScreenSaver::reset();
    }

    void serverSaver_data()
    {
        // "watch": the saver stays off for 6.5 s, over twice its timeout.
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("held over an active saver, twice, released once")
            << QStringList{"activate", "hold", "hold", "watch", "release"};
        QTest::newRow("destroyed while held") << QStringList{"hold", "destroy"};
    }

    void serverSaver()
    {
        QFETCH(QStringList, steps);
        ServerScreenSaver::Settings settings = m_saved;
        settings.timeout = settings.interval = 3;
        ServerScreenSaver::setSettings(settings);
        ServerScreenSaver::reset();
        std::unique_ptr<ScreenAwake> awake = ScreenAwake::create();
        for (const QString& step : steps) {
            if (step == QLatin1String("activate"))
                ServerScreenSaver::activate();
            else if (step != QLatin1String("watch"))
                act(awake, step);
            else
                for (QDeadlineTimer end(6500); !end.hasExpired(); QTest::qWait(100))
                    QVERIFY2(ServerScreenSaver::state() == ServerScreenSaver::State::Off, "came on during the hold");
        }
        // No longer held, the saver comes on once the idle time has run out again.
        QTRY_VERIFY_WITH_TIMEOUT(ServerScreenSaver::state() == ServerScreenSaver::State::On, 8000);
    }

    void sessionBus_data()
    {
        // "ownBus": a dbus-daemon of the case's own, else an address nobody listens on.
        // "cookie": wait for the answer to Inhibit.
        QTest::addColumn<bool>("ownBus");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("asked");
        const QStringList both{"Inhibit Melvanta", "UnInhibit 7001"};
        QTest::newRow("held twice, released") << true << "hold hold cookie release" << both;
        QTest::newRow("released before the cookie came") << true << "hold release" << both;
        QTest::newRow("destroyed before the cookie came") << true << "hold destroy" << both;
        QTest::newRow("bus killed while held")
            << true << "hold cookie kill release hold release hold destroy" << QStringList{"Inhibit Melvanta"};
        QTest::newRow("no bus at the address") << false << "hold release hold destroy" << QStringList{};
    }

    void sessionBus()
    {
        QFETCH(bool, ownBus);
        QFETCH(QString, steps);
        QFETCH(QStringList, asked);
        if (ownBus && QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            QSKIP("dbus-daemon is not installed");
        QTemporaryDir runtime; // Qt wants one; it holds no "bus" socket to fall back on
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        if (ownBus)
            env.insert(QStringLiteral("MELVANTA_OWN_BUS"), QStringLiteral("1"));
        env.insert(QStringLiteral("MELVANTA_STEPS"), steps);
        QProcess copy;
        copy.setProcessEnvironment(env);
        copy.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(copy.waitForFinished(10000));
        QCOMPARE(copy.readAllStandardError(), QByteArray());
        QCOMPARE(copy.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(copy.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts), asked);
    }

private:
    ServerScreenSaver::Settings m_saved;
};

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet("MELVANTA_STEPS"))
        return runSteps(argc, argv);
    // Keep this process and its copies off the user's own session bus.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/melvanta/bus");
    QGuiApplication app(argc, argv);
    TestScreenAwake test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_screenawake.moc"
