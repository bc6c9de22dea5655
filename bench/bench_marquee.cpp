// Marquee benchmark: the real clock window scrolls a dynamic text right to
// left at the highest speed (50 steps a second) under the event loop. Prints
// the steps achieved per second, the longest gap between two steps and the
// process's CPU time as a share of one core.
// Needs a display (tools/with-display.sh). Usage: bench_marquee [seconds]
#include "TestSupport.h"
#include "WindowFixture.h"
#include "display/ClockWindow.h"
#include "storage/ProfileFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>

using namespace melvanta;

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? qMax(1, QString::fromLocal8Bit(argv[1]).toInt()) : 20;
    TestSandbox sandbox;
    sandbox.installDataFiles();
    ProfileFile profile(sandbox.filePath(QStringLiteral("TimeData.db")));
    const QString boxTwips = QStringLiteral("20000");
    profile.write(QStringLiteral("Marquee"), QStringLiteral("Mode"), QStringLiteral("1"));
    profile.write(QStringLiteral("Marquee"), QStringLiteral("MarQueespeed"), QStringLiteral("50"));
    profile.write(QStringLiteral("Marquee"), QStringLiteral("Width"), boxTwips);

    WindowFixture screen;
    ClockWindow& window = screen.window;
    StageSettings stage = StageSettings::defaults();
    stage.background = QStringLiteral("0\\1.jpg"); // the text scrolls over the picture
    window.setDynamicText(QStringLiteral("欢迎各位来宾莅临指导 —— 本次会议议程：开幕致辞、年度总结、述职考评、颁奖"));
    window.applyStage(stage);
    window.showMaximized();

    QElapsedTimer clock;
    qint64 last = -1;
    qint64 longestGap = 0;
    int steps = 0;
    QObject::connect(window.marqueeTimer(), &QTimer::timeout, &window, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (last >= 0)
            longestGap = std::max(longestGap, now - last);
        last = now;
        ++steps;
    });
    double cpuAtStart = 0;
    // Let the window settle on the screen first.
    QTimer::singleShot(1000, &window, [&] {
        cpuAtStart = cpuSeconds();
        clock.start();
        window.setMarqueeRunning(true);
        QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    });
    app.exec();

    const double wall = clock.nsecsElapsed() / 1e9;
    const double cpu = cpuSeconds() - cpuAtStart;
    QTextStream out(stdout);
    out << "marquee: mode 1, speed 50 (interval " << window.marqueeTimer()->interval() << " ms), box " << boxTwips
        << " twips, " << QString::number(wall, 'f', 1) << " s\n";
    out << "steps per second: " << QString::number(steps / wall, 'f', 2) << " (target >= 49)\n";
    out << "longest gap between steps: " << QString::number(longestGap / 1e6, 'f', 1) << " ms\n";
    out << "CPU: " << QString::number(100.0 * cpu / wall, 'f', 1) << " % of one core\n";
    return 0;
}
