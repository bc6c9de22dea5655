#include "TestSupport.h"
#include "platform/ScreenAwake.h"
#include "platform/ServerScreenSaver.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <unistd.h>

using namespace melvanta;

namespace {

// Set in the copy of this test that drives one ScreenAwake from its standard input.
const char driverVariable[] = "MELVANTA_SCREENAWAKE_DRIVER";

QString stateName()
{
    switch (ServerScreenSaver::state()) {
    case ServerScreenSaver::State::Off:
        return QStringLiteral("Off");
    case ServerScreenSaver::State::On:
        return QStringLiteral("On");
    case ServerScreenSaver::State::Cycle:
        return QStringLiteral("Cycle");
    case ServerScreenSaver::State::Disabled:
        return QStringLiteral("Disabled");
    case ServerScreenSaver::State::Unknown:
        break;
    }
    return QStringLiteral("Unknown");
}

void setSaverTimeout(int seconds)
{
    ServerScreenSaver::Settings settings = ServerScreenSaver::settings();
    settings.timeout = seconds;
    settings.interval = seconds;
    ServerScreenSaver::setSettings(settings);
    ServerScreenSaver::reset();
}

// Fails the test when the saver comes on within `ms`.
bool saverStaysOff(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        if (stateName() == QLatin1String("On"))
            return false;
        QTest::qWait(100);
    }
    return true;
}

// The driver: one ScreenAwake in a process of its own, so that it meets the
// session bus named in its environment. One command a line on standard input,
// one answer a line on standard output.
int runDriver(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    std::unique_ptr<ScreenAwake> awake = ScreenAwake::create();
    auto answer = [](const QByteArray& line) {
        const QByteArray text = line + '\n';
        return ::write(STDOUT_FILENO, text.constData(), size_t(text.size())) == text.size();
    };
    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            awake.reset();
            app.quit();
            return;
        }
        pending.append(buffer, int(n));
        for (int end; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1)) {
            const QByteArray command = pending.left(end);
            QElapsedTimer clock;
            clock.start();
            if (command == "hold") {
                awake->hold();
            } else if (command == "release") {
                awake->release();
            } else if (command == "hold-release") {
                awake->hold();
                awake->release();
            } else if (command == "hold-destroy") {
                awake->hold();
                awake = ScreenAwake::create();
            } else if (command == "quit") {
                awake.reset();
                answer("bye");
                app.quit();
                return;
            } // anything else, such as "ping", only answers
            answer(command + ' ' + QByteArray::number(clock.elapsed()) + ' ' + (awake->isHeld() ? "held" : "free"));
        }
    });
    answer("ready");
    return app.exec();
}

// A private session bus: its own dbus-daemon with a configuration that
// activates no installed services, listening in a temporary folder.
class PrivateBus
{
public:
    PrivateBus() { m_daemon.setProcessChannelMode(QProcess::SeparateChannels); }
    ~PrivateBus() { kill(); }

    static QString program() { return QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")); }

    bool start(QString* why)
    {
        const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        // Plain literals: moc misreads a raw string literal holding this text.
        file.write(QStringLiteral("<busconfig>\n"
                                  "  <type>session</type>\n"
                                  "  <listen>unix:path=%1/bus</listen>\n"
                                  "  <auth>EXTERNAL</auth>\n"
                                  "  <policy context=\"default\">\n"
                                  "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                                  "    <allow eavesdrop=\"true\"/>\n"
                                  "    <allow own=\"*\"/>\n"
                                  "  </policy>\n"
                                  "</busconfig>\n")
                       .arg(m_dir.path())
                       .toUtf8());
        file.close();
        m_daemon.start(program(), {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                                   QStringLiteral("--print-address")});
        if (!m_daemon.waitForStarted(5000) || !m_daemon.waitForReadyRead(5000)) {
            *why =
                QStringLiteral("dbus-daemon did not start: ") + QString::fromLocal8Bit(m_daemon.readAllStandardError());
            return false;
        }
        m_address = QString::fromLocal8Bit(m_daemon.readLine()).trimmed();
        return !m_address.isEmpty();
    }

    QString address() const { return m_address; }

    // Ends the daemon the way a crash would: SIGKILL, no goodbye to its clients.
    void kill()
    {
        if (m_daemon.state() == QProcess::NotRunning)
            return;
        m_daemon.kill();
        m_daemon.waitForFinished(5000);
    }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
};

} // namespace

// Stands in for the desktop's screen saver service and records what it is asked.
class FakeScreenSaver : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    struct Call
    {
        QString application;
        QString reason;
        uint cookie;
    };
    QList<Call> inhibits;
    QList<uint> uninhibits;

public Q_SLOTS:
    uint Inhibit(const QString& application, const QString& reason)
    {
        inhibits.append({application, reason, 7001 + uint(inhibits.size())});
        return inhibits.constLast().cookie;
    }
    void UnInhibit(uint cookie) { uninhibits.append(cookie); }
};

// A copy of this test running the driver, with the session bus of its own.
class Driver
{
public:
    explicit Driver(const QString& busAddress, const QString& platform = QString())
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!platform.isEmpty())
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        env.insert(QString::fromLatin1(driverVariable), QStringLiteral("1"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path()); // holds no "bus" socket to fall back on
        if (busAddress.isEmpty())
            env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        else
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
        QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_process.setProcessEnvironment(env);
        m_process.start(QCoreApplication::applicationFilePath(), {});
        m_ready = readLine() == QLatin1String("ready");
    }

    bool ready() const { return m_ready; }

    // Sends one command and returns the driver's answer: "COMMAND MS held|free".
    // The event loop runs meanwhile, so a fake service in this process answers.
    QString send(const QString& command)
    {
        m_process.write(command.toUtf8() + '\n');
        return readLine();
    }

    // Milliseconds the last command took inside the driver.
    static int millisecondsOf(const QString& answer) { return answer.section(QLatin1Char(' '), -2, -2).toInt(); }

    // Quits the driver; true when it ended normally and printed nothing on its error output.
    bool quit(QByteArray* errors)
    {
        const bool said = send(QStringLiteral("quit")) == QLatin1String("bye");
        if (!m_process.waitForFinished(5000))
            return false;
        *errors = m_process.readAllStandardError();
        return said && m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }

private:
    QString readLine()
    {
        QElapsedTimer clock;
        clock.start();
        while (!m_process.canReadLine() && clock.elapsed() < 5000 && m_process.state() != QProcess::NotRunning)
            QTest::qWait(2);
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }

    QTemporaryDir m_runtime;
    QProcess m_process; // killed on destruction should it hang
    bool m_ready = false;
};

class TestScreenAwake : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void serverSaverComesOnWhenIdle();
    void holdKeepsSaverOff();
    void holdEndsActiveSaver();
    void holdAndRelease_data();
    void holdAndRelease();

    void busInhibition_data();
    void busInhibition();
    void busDiesWhileHeld();
    void offscreenLeavesBusAlone();
    void withoutBus_data();
    void withoutBus();

private:
    bool startBus();
    // Waits until the fake service has seen `count` Inhibit calls and the driver has had time to take the answers.
    bool awaitInhibits(Driver& driver, int count);

    TestSandbox m_sandbox;
    ServerScreenSaver::Settings m_saved;
    std::unique_ptr<PrivateBus> m_bus;
    std::unique_ptr<QDBusConnection> m_service;
    std::unique_ptr<FakeScreenSaver> m_fake;
};

void TestScreenAwake::initTestCase()
{
    QVERIFY2(ServerScreenSaver::available(), "runs on an X11 display (tools/with-display.sh)");
    m_saved = ServerScreenSaver::settings();
}

void TestScreenAwake::cleanup()
{
    // Other tests share this X server: give it its own settings back at once.
    ServerScreenSaver::setSettings(m_saved);
    ServerScreenSaver::reset();
    if (m_service)
        QDBusConnection::disconnectFromBus(m_service->name());
    m_service.reset();
    m_fake.reset();
    m_bus.reset();
}

void TestScreenAwake::cleanupTestCase()
{
    ServerScreenSaver::setSettings(m_saved);
}

void TestScreenAwake::serverSaverComesOnWhenIdle()
{
    // Everything below relies on the server's saver coming on by itself.
    QVERIFY2(ServerScreenSaver::extensionVersion() >= QVersionNumber(1, 1),
             qPrintable(ServerScreenSaver::extensionVersion().toString()));
    setSaverTimeout(1);
    QCOMPARE(stateName(), QStringLiteral("Off"));
    QTRY_COMPARE_WITH_TIMEOUT(stateName(), QStringLiteral("On"), 5000);
}

void TestScreenAwake::holdKeepsSaverOff()
{
    setSaverTimeout(3);
    std::unique_ptr<ScreenAwake> awake = ScreenAwake::create();
    awake->hold();
    awake->hold(); // a second hold must not need a second release
    QVERIFY(awake->isHeld());
    QVERIFY2(saverStaysOff(6500), "the saver came on during a hold");
    awake->release();
    QVERIFY(!awake->isHeld());
    // The server restarts the idle time when the suspension ends.
    QTRY_COMPARE_WITH_TIMEOUT(stateName(), QStringLiteral("On"), 8000);
}

void TestScreenAwake::holdEndsActiveSaver()
{
    // A run started from afar while the screen is blank shows the clock.
    ServerScreenSaver::activate();
    QCOMPARE(stateName(), QStringLiteral("On"));
    std::unique_ptr<ScreenAwake> awake = ScreenAwake::create();
    awake->hold();
    QCOMPARE(stateName(), QStringLiteral("Off"));
}

void TestScreenAwake::holdAndRelease_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("held");
    QTest::newRow("hold, release") << QStringList{"hold", "release"} << false;
    QTest::newRow("hold, release, hold") << QStringList{"hold", "release", "hold"} << true;
    QTest::newRow("release, release, hold") << QStringList{"release", "release", "hold"} << true;
    QTest::newRow("hold, destroy") << QStringList{"hold", "destroy"} << false;
}

void TestScreenAwake::holdAndRelease()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, held);
    setSaverTimeout(1);
    std::unique_ptr<ScreenAwake> awake = ScreenAwake::create();
    for (const QString& step : steps) {
        if (step == QLatin1String("hold"))
            awake->hold();
        else if (step == QLatin1String("release"))
            awake->release();
        else
            awake.reset();
    }
    if (awake)
        QCOMPARE(awake->isHeld(), held);
    if (held)
        QVERIFY2(saverStaysOff(2000), "the saver came on during a hold");
    else
        QTRY_COMPARE_WITH_TIMEOUT(stateName(), QStringLiteral("On"), 5000);
}

bool TestScreenAwake::startBus()
{
    m_bus = std::make_unique<PrivateBus>();
    QString why;
    if (!m_bus->start(&why)) {
        qWarning("%s", qPrintable(why));
        return false;
    }
    // The fake service speaks over a connection of its own, as another program would.
    m_service = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(m_bus->address(), QStringLiteral("fake-screen-saver")));
    m_fake = std::make_unique<FakeScreenSaver>();
    return m_service->isConnected() &&
           m_service->registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), m_fake.get(),
                                     QDBusConnection::ExportAllSlots) &&
           m_service->registerService(QStringLiteral("org.freedesktop.ScreenSaver"));
}

bool TestScreenAwake::awaitInhibits(Driver& driver, int count)
{
    QElapsedTimer clock;
    clock.start();
    while (m_fake->inhibits.size() < count && clock.elapsed() < 5000)
        QTest::qWait(2);
    driver.send(QStringLiteral("ping"));
    return m_fake->inhibits.size() == count;
}

void TestScreenAwake::busInhibition_data()
{
    // Steps are driver commands; "await N" waits until the service has answered N Inhibit calls.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("inhibits");
    QTest::addColumn<QList<uint>>("uninhibits");
    QTest::newRow("released after the cookie came")
        << QStringList{"hold", "await 1", "release"} << 1 << QList<uint>{7001};
    QTest::newRow("released before the cookie came") << QStringList{"hold-release"} << 1 << QList<uint>{7001};
    QTest::newRow("destroyed before the cookie came") << QStringList{"hold-destroy"} << 1 << QList<uint>{7001};
    QTest::newRow("held twice, released once")
        << QStringList{"hold", "hold", "await 1", "release"} << 1 << QList<uint>{7001};
    QTest::newRow("held again after a release")
        << QStringList{"hold", "await 1", "release", "hold", "await 2"} << 2 << QList<uint>{7001};
    QTest::newRow("released without a hold") << QStringList{"release"} << 0 << QList<uint>{};
}

void TestScreenAwake::busInhibition()
{
    QFETCH(QStringList, steps);
    QFETCH(int, inhibits);
    QFETCH(QList<uint>, uninhibits);
    if (PrivateBus::program().isEmpty())
        QSKIP("dbus-daemon is not installed");
    QVERIFY(startBus());
    Driver driver(m_bus->address());
    QVERIFY(driver.ready());
    for (const QString& step : steps) {
        if (step.startsWith(QLatin1String("await ")))
            QVERIFY2(awaitInhibits(driver, step.mid(6).toInt()), qPrintable(step));
        else
            QVERIFY2(driver.send(step).startsWith(step), qPrintable(step));
    }
    QTRY_COMPARE(m_fake->uninhibits, uninhibits);
    // Nothing more arrives late.
    driver.send(QStringLiteral("ping"));
    QTest::qWait(100);
    QCOMPARE(m_fake->inhibits.size(), inhibits);
    QCOMPARE(m_fake->uninhibits, uninhibits);
    for (const FakeScreenSaver::Call& call : qAsConst(m_fake->inhibits)) {
        QCOMPARE(call.application, QStringLiteral("Melvanta"));
        QCOMPARE(call.reason, QStringLiteral("计时进行中"));
    }
    QByteArray errors;
    QVERIFY(driver.quit(&errors));
    QCOMPARE(errors, QByteArray());
}

void TestScreenAwake::busDiesWhileHeld()
{
    if (PrivateBus::program().isEmpty())
        QSKIP("dbus-daemon is not installed");
    QVERIFY(startBus());
    Driver driver(m_bus->address());
    QVERIFY(driver.ready());
    QVERIFY(driver.send(QStringLiteral("hold")).endsWith(QLatin1String("held")));
    QVERIFY(awaitInhibits(driver, 1));
    m_bus->kill();
    for (const QString& command : QStringList{"release", "hold", "release", "hold-release", "hold-destroy"}) {
        const QString answer = driver.send(command);
        QVERIFY2(answer.startsWith(command), qPrintable(command + QStringLiteral(": ") + answer));
        QVERIFY2(Driver::millisecondsOf(answer) < 100, qPrintable(answer));
    }
    QByteArray errors;
    QVERIFY(driver.quit(&errors));
    QCOMPARE(errors, QByteArray());
}

void TestScreenAwake::offscreenLeavesBusAlone()
{
    // Away from X11 the null backend only remembers the hold.
    if (PrivateBus::program().isEmpty())
        QSKIP("dbus-daemon is not installed");
    QVERIFY(startBus());
    Driver driver(m_bus->address(), QStringLiteral("offscreen"));
    QVERIFY(driver.ready());
    QVERIFY(driver.send(QStringLiteral("hold")).endsWith(QLatin1String("held")));
    driver.send(QStringLiteral("ping"));
    QTest::qWait(100);
    QVERIFY(driver.send(QStringLiteral("release")).endsWith(QLatin1String("free")));
    QCOMPARE(m_fake->inhibits.size(), 0);
    QByteArray errors;
    QVERIFY(driver.quit(&errors));
    QCOMPARE(errors, QByteArray());
}

void TestScreenAwake::withoutBus_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("an address nobody listens on") << QStringLiteral("unix:path=/nonexistent/melvanta/bus");
    QTest::newRow("no address at all") << QString();
}

void TestScreenAwake::withoutBus()
{
    QFETCH(QString, address);
    if (address.isEmpty() && !QStandardPaths::findExecutable(QStringLiteral("dbus-launch")).isEmpty())
        QSKIP("with dbus-launch installed, the bus library would start a bus for this display");
    QElapsedTimer clock;
    clock.start();
    Driver driver(address);
    QVERIFY(driver.ready());
    for (const QString& command : QStringList{"hold", "release", "hold-release", "hold-destroy", "hold"}) {
        const QString answer = driver.send(command);
        QVERIFY2(answer.startsWith(command), qPrintable(command + QStringLiteral(": ") + answer));
        QVERIFY2(Driver::millisecondsOf(answer) < 100, qPrintable(answer));
    }
    QByteArray errors;
    QVERIFY(driver.quit(&errors));
    QCOMPARE(errors, QByteArray());
    QVERIFY2(clock.elapsed() < 5000, "a driver without a bus took too long");
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet(driverVariable))
        return runDriver(argc, argv);
    // Keep this process, and the service it creates, off the user's own session bus.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/melvanta/bus");
    QGuiApplication app(argc, argv);
    TestScreenAwake test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_screenawake.moc"
