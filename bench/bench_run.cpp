// Run benchmark: the real clock window with real timers counts a 2-minute
// stage down under the event loop. At every change of the clock text the
// shown remaining time is compared with the true remaining time; the
// process's CPU time and peak memory are read at the end.
// Needs a display (tools/with-display.sh). Usage: bench_run [seconds]
#include "TestSupport.h"
#include "display/ClockWindow.h"
#include "platform/ProcessStats.h"
#include "storage/RegistryStore.h"
#include "storage/StageSettingsStore.h"
#include "timing/RunEngine.h"
#include "timing/SoundPlayer.h"
#include "timing/TimeSource.h"
#include "timing/TimingRecordWriter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
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
    void refreshStage(const StageSettings& stage, const QString& text) override { m_window.refreshStage(stage, text); }
    void showLongTerm(const QString& date, const QString& clock) override { m_window.showLongTerm(date, clock); }
    void setMarqueeRunning(bool running) override { m_window.setMarqueeRunning(running); }
    void setCommandState(const CommandState& state) override { m_window.setCommandState(state); }
    void endAdjusting() override { m_window.endAdjusting(); }

private:
    ClockWindow& m_window;
    QString m_last;
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int seconds = app.arguments().size() > 1 ? app.arguments().at(1).toInt() : 120;
    QTextStream out(stdout);

    TestSandbox sandbox;
    sandbox.installDataFiles();
    RegistryStore registry;
    StageSettings stage = StageSettings::defaults();
    stage.Time_all = QTime(0, 0, 0).addSecs(seconds);
    stage.combolist = QStringLiteral("201"); // h:m:s, countdown, stop at the end
    SaveStageSettings(registry, stage);

    ClockWindow window;
    window.applyStage(stage);
    window.showMaximized();
    MeasuringScreen screen(window);
    SystemTimeSource time;
    SoundPlayer sound;
    TimingRecordWriter records(registry, sandbox.filePath(QStringLiteral("DeskData.db")));
    RunEngine engine(time, screen, sound, records, registry, sandbox.filePath(QStringLiteral("TimeData.db")));
    engine.load(stage, 0);

    std::vector<qint64> gaps;
    bool started = false;
    screen.onClockText = [&](const QString& text) {
        if (engine.status() != RunStatus::Running)
            return;
        started = true;
        const QStringList parts = text.split(QLatin1Char(':'));
        const qint64 shownMs =
            (parts.value(0).toLongLong() * 3600 + parts.value(1).toLongLong() * 60 + parts.value(2).toLongLong()) *
            1000;
        // The monotonic clock is the truth; the run started at its start mark.
        const qint64 trueRemaining = qint64(seconds) * 1000 - (time.tickCount() - engine.run().startMark);
        gaps.push_back(qAbs(shownMs - trueRemaining));
    };
    QTimer::singleShot(1000, &engine, &RunEngine::StartRun);

    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (started && engine.status() == RunStatus::Cleared)
            app.quit();
    });
    poll.start(200);
    app.exec();
    const double cpu = cpuSeconds() - cpuBefore;

    std::sort(gaps.begin(), gaps.end());
    const qint64 largest = gaps.empty() ? -1 : gaps.back();
    const qint64 p95 = gaps.empty() ? -1 : gaps[gaps.size() * 95 / 100];
    out << "countdown of " << seconds << " s with the real window and timers: " << gaps.size() << " display changes"
        << Qt::endl;
    out << "gap between shown and true remaining time: largest " << largest << " ms, 95th percentile " << p95 << " ms"
        << Qt::endl;
    out << "CPU: " << QString::number(100.0 * cpu / (wall.elapsed() / 1000.0), 'f', 2) << "% of one core over "
        << wall.elapsed() / 1000.0 << " s" << Qt::endl;
    out << "peak resident memory: " << QString::number(peakResidentKb() / 1024.0, 'f', 1) << " MB" << Qt::endl;
    return 0;
}
