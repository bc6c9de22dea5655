// Remote benchmark: the real program with its remote on a free port counts a
// stage down; for one stretch no browser watches, for a stretch as long 50
// WebSocket viewers do (in a second process, so that this process's CPU time
// is the program's alone). Prints the CPU and the resident memory the viewers
// add, and the delay from a new clock text painted on the screen to the
// message carrying it arriving at each viewer. The run pauses now and then for
// a moment, so that the second's flip falls at every point of the server's
// push cycle.
// Needs a display (tools/with-display.sh).
// Usage: bench_remote [seconds per stretch] [viewers]
#include "TestSupport.h"
#include "app/Application.h"
#include "display/ClockFace.h"
#include "display/ClockWindow.h"
#include "display/MenuHost.h"
#include "remote/RemoteServer.h"
#include "storage/ProfileFile.h"
#include "storage/RegistryStore.h"
#include "support/MessageBox.h"
#include "timing/RunEngine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTextStream>
#include <QTimer>
#include <QWebSocket>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <vector>

using namespace melvanta;

namespace {

// Nanoseconds on the system's monotonic clock: the same clock in both processes.
qint64 monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
}

qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// The viewers' process: `count` sockets on /ws for `seconds`; prints
// "connected" once every socket has its first state, and at the end, for each
// socket, when each new clock text first reached it.
int runViewers(int port, int count, int seconds)
{
    QTextStream out(stdout);
    struct Viewer
    {
        std::unique_ptr<QWebSocket> socket;
        QString lastText;
        std::vector<std::pair<QString, qint64>> arrivals;
    };
    std::vector<Viewer> viewers(count);
    int connected = 0;
    for (Viewer& viewer : viewers) {
        viewer.socket = std::make_unique<QWebSocket>();
        QObject::connect(viewer.socket.get(), &QWebSocket::textMessageReceived, [&](const QString& message) {
            const qint64 at = monotonicNs();
            const QJsonObject state = QJsonDocument::fromJson(message.toUtf8()).object().value("state").toObject();
            const QString text = state.value("text").toString();
            if (viewer.arrivals.empty() && ++connected == count)
                out << "connected" << Qt::endl;
            if (text != viewer.lastText)
                viewer.arrivals.emplace_back(text, at);
            viewer.lastText = text;
        });
        viewer.socket->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(port)));
    }
    wait(seconds * 1000);
    for (const Viewer& viewer : viewers)
        for (const auto& [text, at] : viewer.arrivals)
            out << "arrived " << at << ' ' << text << '\n';
    out.flush();
    return 0;
}

struct Stretch
{
    double cpuPercent = 0;
    qint64 residentKbBefore = 0;
    qint64 residentKbAfter = 0;
};

// The clock counting for `seconds` with whatever is connected meanwhile.
Stretch measure(int seconds)
{
    Stretch stretch;
    stretch.residentKbBefore = residentKb();
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    wait(seconds * 1000);
    stretch.cpuPercent = 100.0 * (cpuSeconds() - cpuBefore) / (wall.elapsed() / 1000.0);
    stretch.residentKbAfter = residentKb();
    return stretch;
}

// Notes the moment each new clock text is painted.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(ClockWindow& window) : m_window(window) {}
    std::map<QString, qint64> paintedAt;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            const QString text = m_window.clockText();
            if (text != m_last)
                paintedAt.emplace(text, monotonicNs());
            m_last = text;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    ClockWindow& m_window;
    QString m_last;
};

qint64 percentile(std::vector<qint64> values, int percent)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, values.size() * percent / 100)];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && QByteArray(argv[1]) == "--viewers") {
        QCoreApplication app(argc, argv);
        return runViewers(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]));
    }
    QApplication app(argc, argv);
    MessageBox::setTestHook(true); // nobody is there to answer
    const int seconds = argc > 1 ? atoi(argv[1]) : 20;
    const int viewerCount = argc > 2 ? atoi(argv[2]) : 50;
    QTextStream out(stdout);

    TestSandbox sandbox;
    sandbox.installDataFiles();
    storeCurrentStage(2 * seconds + 600); // no alarm point is reached while measuring
    RegistryStore().setNumber(QStringLiteral("Time_Record"), 1);
    const int port = freePort();
    ProfileFile profile(sandbox.filePath(QStringLiteral("TimeData.db")));
    profile.write(QStringLiteral("Remote"), QStringLiteral("enabled"), QStringLiteral("1"));
    profile.write(QStringLiteral("Remote"), QStringLiteral("port"), QString::number(port));
    profile.write(QStringLiteral("Remote"), QStringLiteral("listen"), QStringLiteral("loopback"));
    Application program;
    if (program.start() != Application::Start::WindowsShown || !program.remoteServer()) {
        out << "the program did not start with its remote" << Qt::endl;
        return 1;
    }
    PaintWatch watch(*program.clockWindow());
    program.clockWindow()->clockFace()->installEventFilter(&watch);
    program.runCommand(MenuHost::Start);
    // Every 2–3 s a pause of up to a second moves the flip against the pushes.
    QTimer shuffle;
    shuffle.setSingleShot(true);
    QObject::connect(&shuffle, &QTimer::timeout, [&] {
        program.engine()->PauseRun();
        QTimer::singleShot(50 + QRandomGenerator::global()->bounded(950), [&] { program.engine()->PauseRun(); });
        shuffle.start(2000 + QRandomGenerator::global()->bounded(1000));
    });
    shuffle.start(2000);
    wait(2000);
    out << "countdown in the real window, remote on 127.0.0.1:" << port << ", " << seconds << " s per stretch"
        << Qt::endl;

    const Stretch alone = measure(seconds);

    QProcess viewers;
    viewers.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    viewers.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--viewers"), QString::number(port), QString::number(viewerCount),
                   QString::number(seconds + 4)});
    const qint64 residentBeforeViewers = residentKb();
    QElapsedTimer joining;
    joining.start();
    while (!viewers.canReadLine() && joining.elapsed() < 10000)
        wait(10);
    if (!viewers.canReadLine() || viewers.readLine().trimmed() != "connected") {
        out << "the viewers did not connect" << Qt::endl;
        return 1;
    }
    wait(1000);
    const qint64 since = monotonicNs();
    const int served = program.remoteServer()->viewerCount();
    const Stretch watched = measure(seconds);
    // The viewers leave before the program ends, the way a room's browsers close.
    QElapsedTimer leaving;
    leaving.start();
    while (viewers.state() != QProcess::NotRunning) {
        if (leaving.elapsed() > 20000)
            viewers.kill();
        wait(50);
    }
    for (int i = 0; i < 100 && program.remoteServer()->viewerCount() > 0; ++i)
        wait(50);
    shuffle.stop();

    std::vector<qint64> delaysUs;
    int texts = 0;
    for (const QByteArray& line : viewers.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 3 || fields.at(0) != "arrived")
            continue;
        const QString text = QString::fromUtf8(line.mid(fields.at(0).size() + fields.at(1).size() + 2));
        const auto painted = watch.paintedAt.find(text);
        if (painted == watch.paintedAt.end() || painted->second < since)
            continue;
        delaysUs.push_back((fields.at(1).toLongLong() - painted->second) / 1000);
        ++texts;
    }
    program.shutdown();

    auto ms = [](qint64 us) { return QString::number(us / 1000.0, 'f', 1); };
    out << "CPU of the program, no viewers: " << QString::number(alone.cpuPercent, 'f', 2) << "% of one core"
        << Qt::endl;
    out << "CPU of the program, " << served << " viewers: " << QString::number(watched.cpuPercent, 'f', 2)
        << "% of one core" << Qt::endl;
    out << "CPU added by " << served << " viewers: " << QString::number(watched.cpuPercent - alone.cpuPercent, 'f', 2)
        << "% of one core (target at most 1%)" << Qt::endl;
    out << "resident memory: " << QString::number(residentBeforeViewers / 1024.0, 'f', 1) << " MB before the viewers, "
        << QString::number(watched.residentKbAfter / 1024.0, 'f', 1) << " MB after " << seconds
        << " s with them, added " << QString::number((watched.residentKbAfter - residentBeforeViewers) / 1024.0, 'f', 1)
        << " MB (no viewers: " << QString::number((alone.residentKbAfter - alone.residentKbBefore) / 1024.0, 'f', 1)
        << " MB over the same time)" << Qt::endl;
    out << "screen to viewer, " << texts << " arrivals of a new clock text: median " << ms(percentile(delaysUs, 50))
        << " ms, 95th percentile " << ms(percentile(delaysUs, 95)) << " ms, max " << ms(percentile(delaysUs, 100))
        << " ms, earliest " << ms(percentile(delaysUs, 0)) << " ms (target at most 100 ms)" << Qt::endl;
    return 0;
}
