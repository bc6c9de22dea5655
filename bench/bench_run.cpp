// Run benchmark: the real clock window with real timers, sounds and records
// counts a stage down under the event loop, once on an idle machine and once
// with two busy loops beside it. Every change of the clock text is compared
// with the true boundary of the run's second (the tick count is the truth),
// and so is the paint that put it on the screen; the process's CPU time
// while counting and its peak memory are read at the end.
// Needs a display (tools/with-display.sh). Usage: bench_run [seconds per run]
#include "FlipStats.h"
#include "TestSupport.h"
#include "WindowFixture.h"
#include "display/ClockFace.h"
#include "platform/ProcessStats.h"
#include "storage/StageSettingsStore.h"
#include "timing/RunEngine.h"
#include "timing/SoundPlayer.h"
#include "timing/TimeSource.h"
#include "timing/TimingRecordWriter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>

#include <memory>
#include <vector>

using namespace melvanta;

namespace {

// Passes everything on to the window and notes when the clock text changes.
class MeasuringScreen : public ClockScreen
{
public:
    explicit MeasuringScreen(ClockWindow& window) : m_window(window) {}
    std::function<void(const QString&)> onClockText;

    void showClockText(const QString& text) override
    {
        if (text != m_last && onClockText)
            onClockText(text);
        m_last = text;
        m_window.showClockText(text);
    }
    void showOvertimeText(const QString& text) override { m_window.showOvertimeText(text); }
    void showEndText(const QString& text) override { m_window.showEndText(text); }
    void setPromptText(const QString& text) override { m_window.setPromptText(text); }
    void setPromptVisible(bool visible) override { m_window.setPromptVisible(visible); }
    void setDateLine(const QString& text) override { m_window.setDateLine(text); }
    void showRestartDelay(int seconds) override { m_window.showRestartDelay(seconds); }
    void applyPhaseLook(int phase) override { m_window.applyPhaseLook(phase); }
    void setClockVisible(bool visible) override { m_window.setClockVisible(visible); }
    bool isClockVisible() const override { return m_window.isClockVisible(); }
    void setOvertimeClockVisible(bool visible) override { m_window.setOvertimeClockVisible(visible); }
    bool isOvertimeClockVisible() const override { return m_window.isOvertimeClockVisible(); }
    void refreshStage(const QString& text) override { m_window.refreshStage(text); }
    void showLongTerm(const QString& date, const QString& clock) override { m_window.showLongTerm(date, clock); }
    void setMarqueeRunning(bool running) override { m_window.setMarqueeRunning(running); }
    void setCommandState(const CommandState& state) override { m_window.setCommandState(state); }
    void endAdjusting() override { m_window.endAdjusting(); }

private:
    ClockWindow& m_window;
    QString m_last;
};

// Notes the moment each new clock text is painted.
class PaintWatch : public QObject
{
public:
    std::function<void()> onPaint;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && onPaint)
            onPaint();
        return QObject::eventFilter(watched, event);
    }
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
}

int secondsOf(const QString& text)
{
    const QTime t = QTime::fromString(text, QStringLiteral("hh:mm:ss"));
    return t.isValid() ? TimeToSeconds(t) : -1;
}

struct RunResult
{
    FlipStats flips;
    FlipStats paints;
    double cpuPercent = 0;
};

RunResult countDown(QApplication& app, int seconds, bool busy, bool junkProfile)
{
    TestSandbox sandbox;
    sandbox.installDataFiles();
    if (junkProfile) {
        // A damaged profile file: 5 MB of noise with some lines and "=" in it.
        QRandomGenerator noise(5);
        QByteArray junk(5 * 1024 * 1024, Qt::Uninitialized);
        for (char& c : junk)
            c = "ab=[]\n\x01\xff"[noise.bounded(8)];
        sandbox.writeFile(QStringLiteral("TimeData.db"), junk);
    }
    WindowFixture screen;
    RegistryStore& registry = screen.stores.registry();
    registry.setNumber(QStringLiteral("Time_Record"), 1);
    StageSettings stage = StageSettings::defaults();
    stage.Time_all = QTime(0, 0, 0).addSecs(seconds);
    stage.combolist = QStringLiteral("201"); // h:m:s, countdown, stop at the end
    screen.window.applyStage(stage);
    screen.window.showMaximized();
    MeasuringScreen measuring(screen.window);
    SystemTimeSource time;
    SoundPlayer sound;
    TimingRecordWriter records(registry, screen.stores.databasePath());
    RunEngine engine(time, screen.stage, measuring, sound, records, registry, screen.stores.profile().filePath());
    engine.load(0);

    std::vector<std::unique_ptr<QProcess>> loops;
    if (busy) {
        for (int i = 0; i < 2; ++i) {
            loops.push_back(std::make_unique<QProcess>());
            loops.back()->start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
            loops.back()->waitForStarted();
        }
    }

    RunResult result;
    int pendingValue = -1;
    qint64 pendingBoundary = 0;
    auto boundaryOf = [&](int value) { return engine.run().startMark + qint64(seconds - value) * 1000; };
    measuring.onClockText = [&](const QString& text) {
        const int value = secondsOf(text);
        if (engine.status() != RunStatus::Running || value < 0 || value >= seconds)
            return;
        const qint64 now = time.tickCount();
        result.flips.flip(value, now, now - boundaryOf(value));
        pendingValue = value;
        pendingBoundary = boundaryOf(value);
    };
    PaintWatch watch;
    watch.onPaint = [&] {
        if (pendingValue < 0)
            return;
        const qint64 now = time.tickCount();
        result.paints.flip(pendingValue, now, now - pendingBoundary);
        pendingValue = -1;
    };
    screen.window.clockFace()->installEventFilter(&watch);

    double cpuBefore = 0;
    QElapsedTimer wall;
    QTimer::singleShot(1000, &engine, [&] {
        cpuBefore = cpuSeconds();
        wall.start();
        engine.StartRun();
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (wall.isValid() && engine.status() == RunStatus::Cleared)
            app.quit();
    });
    poll.start(200);
    app.exec();
    result.cpuPercent = 100.0 * (cpuSeconds() - cpuBefore) / (wall.elapsed() / 1000.0);
    for (auto& loop : loops) {
        loop->kill();
        loop->waitForFinished();
    }
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int seconds = app.arguments().size() > 1 ? app.arguments().at(1).toInt() : 60;
    QTextStream out(stdout);
    out << "countdown of " << seconds << " s in the real window, with its sounds and its record" << Qt::endl;
    const qint64 idleKb = peakResidentKb();
    for (int run = 0; run < 3; ++run) {
        const bool busy = run == 1;
        const bool junk = run == 2;
        const RunResult r = countDown(app, seconds, busy, junk);
        const QString machine = busy   ? QStringLiteral("two busy loops")
                                : junk ? QStringLiteral("5 MB damaged profile file")
                                       : QStringLiteral("idle machine");
        r.flips.print(out, machine + QStringLiteral(", clock text changed"));
        r.paints.print(out, machine + QStringLiteral(", clock painted"));
        out << machine << ", CPU while counting: " << QString::number(r.cpuPercent, 'f', 2) << "% of one core"
            << Qt::endl;
    }
    out << "peak resident memory: " << QString::number(idleKb / 1024.0, 'f', 1) << " MB before the first run, "
        << QString::number(peakResidentKb() / 1024.0, 'f', 1) << " MB after counting with sounds" << Qt::endl;
    return 0;
}
