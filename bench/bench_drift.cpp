// Drift benchmark: a full-day countdown (23:59:59) on a simulated clock with
// ticks that arrive late by a random amount, as an idle (0-5 ms) and a busy
// (0-60 ms) machine deliver them. At every tick the engine's elapsed time is
// compared with the true elapsed time; any difference would be drift. Prints
// the total and the largest difference, and how many whole seconds the
// display skipped.
#include "EngineHarness.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTextStream>

using namespace melvanta;

namespace {

bool simulateDay(int maxLateMs, QTextStream& out)
{
    StageSettings stage = StageSettings::defaults(QDate(2026, 3, 2));
    stage.Time_all = QTime(23, 59, 59);
    stage.combolist = QStringLiteral("201"); // h:m:s, countdown, stop at the end
    EngineHarness h(stage);
    h.registry.setNumber(QStringLiteral("Time_Record"), 0);
    h.start();
    const qint64 startTick = h.time.tickCount();

    QRandomGenerator random(20261206);
    RunTimers& timers = h.engine->timers();
    qint64 largestDifference = 0;
    qint64 lastDifference = 0;
    qint64 ticks = 0;
    int skippedSeconds = 0;
    int lastShown = -1;
    while (h.engine->status() == RunStatus::Running) {
        TickTimer& timer = timers.timer1;
        const qint64 late = random.bounded(maxLateMs + 1);
        h.time.advance(timer.dueAt() + late - h.time.tickCount());
        // Let any other timer that fell due run first (prompt, flashes).
        for (TickTimer* other : {&timers.timer3, &timers.timer7}) {
            if (other->isActive() && other->dueAt() <= h.time.tickCount())
                other->fireNow();
        }
        timer.fireNow();
        ++ticks;
        if (h.engine->status() != RunStatus::Running)
            break;
        const qint64 trueElapsed = h.time.tickCount() - startTick;
        lastDifference = h.engine->run().elapsedMs[1] - trueElapsed;
        largestDifference = qMax(largestDifference, qAbs(lastDifference));
        const QStringList parts = h.screen.clockTexts.last().split(QLatin1Char(':'));
        const int shown = parts.value(0).toInt() * 3600 + parts.value(1).toInt() * 60 + parts.value(2).toInt();
        if (lastShown >= 0 && lastShown - shown > 1)
            skippedSeconds += lastShown - shown - 1;
        lastShown = shown;
        h.screen.clockTexts.clear();
    }
    out << "simulated run: 23:59:59 countdown, " << ticks << " ticks, each 0-" << maxLateMs << " ms late" << Qt::endl;
    out << "total drift at the end: " << lastDifference << " ms" << Qt::endl;
    out << "largest difference between measured and true elapsed time: " << largestDifference << " ms" << Qt::endl;
    out << "whole seconds the display skipped: " << skippedSeconds << Qt::endl;
    return lastDifference == 0 && largestDifference == 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const bool idle = simulateDay(5, out);
    const bool busy = simulateDay(60, out);
    return idle && busy ? 0 : 1;
}
