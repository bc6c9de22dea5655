#include "EngineHarness.h"
#include "storage/StageSettingsStore.h"

#include <QRandomGenerator>
#include <QtTest>

#include <array>

using namespace melvanta;

namespace {

StageSettings stageOf(const QTime& duration, const QString& combolist, const QDate& longTermDate = {})
{
    StageSettings stage = StageSettings::defaults(QDate(2026, 3, 2));
    stage.Time_all = duration;
    stage.combolist = combolist;
    if (longTermDate.isValid()) { // counting towards `duration` on that date
        stage.checkone = QStringLiteral("1111111");
        stage.time_date = longTermDate;
    }
    return stage;
}

// Seconds of a clock text "hh:mm:ss"; -1 for anything else.
int secondsOf(const QString& text)
{
    const QTime t = QTime::fromString(text, QStringLiteral("hh:mm:ss"));
    return t.isValid() ? TimeToSeconds(t) : -1;
}

// The seconds the clocks showed, without repeats.
QList<int> shownSeconds(const RecordingScreen& screen)
{
    QList<int> seconds;
    for (const auto& [at, text] : screen.clockLog) {
        const int s = secondsOf(text);
        if (s >= 0 && (seconds.isEmpty() || seconds.last() != s))
            seconds << s;
    }
    return seconds;
}

// `count` seconds from `first` on, one at a time down (or up).
QList<int> everySecond(int first, int count, int step = -1)
{
    QList<int> seconds;
    for (int i = 0; i < count; ++i)
        seconds << first + i * step;
    return seconds;
}

} // namespace

class TestRunEngine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // More or less time from the network remote: the remaining time moves,
    // the alarms keep their meaning as remaining time, the record keeps the
    // set duration.
    void addTime_data()
    {
        QTest::addColumn<int>("elapsedMs"); // when the time is added
        QTest::addColumn<bool>("paused");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("shownAfter");
        QTest::addColumn<int>("phaseAfter"); // a moment later
        QTest::newRow("more time goes back to the start phase") << 25'500 << false << 20 << 55 << 0;
        QTest::newRow("more time, back to alarm 1's phase") << 25'500 << false << 12 << 47 << 1;
        QTest::newRow("less time enters the alarm passed over") << 5'500 << false << -19 << 36 << 2;
        QTest::newRow("paused") << 25'500 << true << 60 << 95 << 0;
        QTest::newRow("one second always stays") << 5'500 << false << -3600 << 1 << 4;
    }
    void addTime()
    {
        QFETCH(int, elapsedMs);
        QFETCH(bool, paused);
        QFETCH(int, seconds);
        QFETCH(int, shownAfter);
        QFETCH(int, phaseAfter);
        StageSettings stage = stageOf(QTime(0, 1, 0), QStringLiteral("201"));
        stage.Time_one = QTime(0, 0, 50);
        stage.Time_two = QTime(0, 0, 40);
        stage.Time_three = QTime(0, 0, 30);
        stage.Time_four = QTime(0, 0, 10);
        EngineHarness h(stage);
        QVERIFY(!h.engine->addTime(10)); // nothing under way
        h.start();
        h.advanceTo(elapsedMs);
        if (paused)
            h.engine->PauseRun();
        QVERIFY(h.engine->addTime(seconds));
        QCOMPARE(secondsOf(h.screen.shownClock), shownAfter);
        h.advance(paused ? 2'000 : 300);
        QCOMPARE(h.engine->run().phase, phaseAfter);
        if (paused) {
            QCOMPARE(secondsOf(h.screen.shownClock), shownAfter); // a paused clock stays
            h.engine->PauseRun();
        }
        h.advance(200'000);
        QCOMPARE(h.engine->status(), RunStatus::Cleared);
        QCOMPARE(h.record().value(0), QStringLiteral("00:01:00"));
        QVERIFY(!h.engine->addTime(10)); // nor after the run
    }

    void tenSecondRun_data()
    {
        QTest::addColumn<QString>("combolist");
        QTest::addColumn<QList<int>>("delays"); // the restart notice, from the start on
        QTest::addColumn<QString>("checkfour");
        QTest::newRow("stop at the end") << "201" << QList<int>{0} << "0000";
        QTest::newRow("reset after a delay") << "202" << QList<int>{0, 5, 4, 3, 2, 1, 0, 0, 0} << "0010";
        QTest::newRow("reset at once") << "202" << QList<int>{0, 5, 0, 0} << "0000";
    }

    void tenSecondRun()
    {
        QFETCH(QString, combolist);
        QFETCH(QList<int>, delays);
        QFETCH(QString, checkfour);
        StageSettings stage = stageOf(QTime(0, 0, 10), combolist);
        stage.checkfour = checkfour;
        stage.Time_four = QTime(0, 0, 5);
        stage.musicfour = QStringLiteral("final.mp3"); // the final seconds loop, an MP3 like any sound
        EngineHarness h(stage);
        h.profile().write(QStringLiteral("pictureset"), QStringLiteral("Delaytime"), QStringLiteral("5"));
        h.start();
        QCOMPARE(h.sound.log, QStringList{"play alarm.wav"});
        h.advance(10'100); // the time is up at 10 s
        QCOMPARE(shownSeconds(h.screen), everySecond(10, 11));
        QVERIFY(h.sound.log.contains("play Stop.wav"));
        QVERIFY(h.sound.log.lastIndexOf("stop final.mp3") > h.sound.log.lastIndexOf("loop final.mp3"));
        QCOMPARE(h.record().value(1), QStringLiteral("00:00:10"));
        h.advance(7'000);
        const bool reset = delays.size() > 1;
        QCOMPARE(h.engine->status(), reset ? RunStatus::Idle : RunStatus::Cleared);
        QCOMPARE(h.screen.restartDelays, delays);
        QCOMPARE(h.screen.shownClock, reset ? "00:00:10" : "00:00:00"); // reset: idle, showing the stage
        QCOMPARE(h.rows.size(), 1);
    }

    void shownSecondFlipsOnTime_data()
    {
        QTest::addColumn<QString>("combolist");
        QTest::addColumn<int>("source");
        QTest::addColumn<QString>("kind"); // where the boundaries of the shown second lie
        QTest::addColumn<int>("maxLate");  // how late the machine delivers each timer, ms
        for (int late : {0, 20}) {
            const QByteArray busy = late ? " (busy machine)" : "";
            QTest::newRow("countdown, tick count" + busy) << "201" << 0 << "down" << late;
            QTest::newRow("countdown, seconds since midnight" + busy) << "201" << 1 << "down" << late;
            QTest::newRow("countdown, time of day" + busy) << "201" << 2 << "wall" << late;
            QTest::newRow("count-up" + busy) << "211" << 0 << "up" << late;
            QTest::newRow("overtime" + busy) << "200" << 0 << "overtime" << late;
            QTest::newRow("system time" + busy) << "221" << 0 << "wall" << late;
            QTest::newRow("long-term" + busy) << "300" << 0 << "wall" << late;
        }
    }

    void shownSecondFlipsOnTime()
    {
        QFETCH(QString, combolist);
        QFETCH(int, source);
        QFETCH(QString, kind);
        QFETCH(int, maxLate);
        const bool overtime = kind == QLatin1String("overtime");
        const QDate longTerm = combolist == QLatin1String("300") ? QDate(2026, 3, 3) : QDate();
        StageSettings stage = stageOf(QTime(0, 0, overtime ? 5 : 30), combolist, longTerm);
        stage.Time_five = QTime(0, 1, 0); // an overtime limit beyond the test
        // The wall clock starts 437 ms into a second, so that its seconds and the run's differ.
        EngineHarness h(stage, source, QDateTime(QDate(2026, 3, 2), QTime(9, 0, 0, 437)));
        h.lateBy = [random = QRandomGenerator(7), maxLate]() mutable { return qint64(random.bounded(maxLate + 1)); };
        h.start(); // a long-term run starts by itself just the same
        h.advance(20'000);
        QVERIFY(!h.screen.clockLog.isEmpty());
        const qint64 mark = h.screen.clockLog.first().first;
        const int total = TimeToSeconds(stage.Time_all);
        if (combolist.at(1) == QLatin1Char('0') && !stage.longTerm()) // counting down: the whole duration first
            QCOMPARE(secondsOf(h.screen.clockLog.first().second), total);

        const qint64 timeUp = mark + qint64(total) * 1000;
        int previous = -1, flips = 0;
        for (int i = 1; i < h.screen.clockLog.size(); ++i) {
            const auto& [at, text] = h.screen.clockLog.at(i);
            const int value = secondsOf(text);
            if (value < 0 || (overtime && (at <= timeUp || value == 0)))
                continue; // no clock digits, or the main clock's seconds and its end
            // The wall clock's own second started 437 ms into one, with the tick count at 1 000 000.
            const qint64 boundary = kind == QLatin1String("down") ? mark + qint64(total - value) * 1000
                                    : kind == QLatin1String("up") ? mark + qint64(value) * 1000
                                    : overtime                    ? timeUp + qint64(value) * 1000 - 200
                                                                  : at - (437 + at - 1'000'000) % 1000;
            QVERIFY2(at >= boundary && at - boundary <= 30 && (previous < 0 || qAbs(value - previous) == 1),
                     qPrintable(text + QStringLiteral(" %1 ms late, after %2").arg(at - boundary).arg(previous)));
            previous = value;
            ++flips;
        }
        QVERIFY2(flips >= 14, qPrintable(QString::number(flips)));
    }

    void alarmPhases_data()
    {
        QTest::addColumn<int>("one"); // the seconds left at alarm 1
        QTest::addColumn<int>("two");
        QTest::addColumn<QList<int>>("entered");
        QTest::addColumn<QStringList>("sounds");
        QTest::newRow("distinct points") << 50 << 40 << QList<int>{1, 2, 3, 4}
                                         << QStringList{"stop alarm.wav", "play Timeout.wav", "stop Timeout.wav",
                                                        "play Timeout.wav"};
        QTest::newRow("equal points enter the first")
            << 45 << 45 << QList<int>{1, 3, 4} << QStringList{"stop alarm.wav", "play Timeout.wav"};
        QTest::newRow("point at the whole duration")
            << 60 << 40 << QList<int>{2, 3, 4} << QStringList{"stop Timeout.wav", "play Timeout.wav"};
    }

    void alarmPhases()
    {
        QFETCH(int, one);
        QFETCH(int, two);
        QFETCH(QList<int>, entered);
        QFETCH(QStringList, sounds);
        StageSettings stage = stageOf(QTime(0, 1, 0), QStringLiteral("201"));
        stage.Time_one = SecondsToTime(one);
        stage.Time_two = SecondsToTime(two);
        stage.checkone = QStringLiteral("0111110");
        stage.checkthree = QStringLiteral("111111");
        EngineHarness h(stage);
        h.start();
        QList<int> phases;
        for (int i = 0; i < 70 && h.engine->status() == RunStatus::Running; ++i) {
            const int before = h.engine->run().phase;
            h.advance(985);
            const int phase = h.engine->run().phase;
            if (phase != before && phase >= 1 && phase <= 4) {
                phases << phase;
                // A phase begins as its second appears on the clock.
                QCOMPARE(secondsOf(h.screen.shownClock), (std::array<int, 5>{0, one, two, 30, 20}[phase]));
            }
        }
        QCOMPARE(phases, entered);
        QCOMPARE(h.screen.phaseLooks.mid(0, entered.size()), entered);
        QVERIFY(h.screen.promptTexts.contains(QStringLiteral("阶段三")));
        // Each entry stops the previous phase's sound and plays its own, once.
        QCOMPARE(h.sound.log.mid(1, sounds.size()), sounds);
        QCOMPARE(h.sound.log.count("play Timeout.wav"), entered.size());
    }

    void firstAlarmFlashes_data()
    {
        QTest::addColumn<int>("tixingtime"); // seconds of flashing
        QTest::addColumn<bool>("stall");     // the machine stalls for 11 s across the alarm point
        QTest::newRow("3 s") << 3 << false;
        QTest::newRow("1 s") << 1 << false;
        QTest::newRow("0 s") << 0 << false;
        QTest::newRow("3 s, the tick of the point late") << 3 << true;
    }

    void firstAlarmFlashes()
    {
        QFETCH(int, tixingtime);
        QFETCH(bool, stall);
        StageSettings stage = stageOf(QTime(0, 1, 0), QStringLiteral("101"));
        stage.tixingtime = qint16(tixingtime);
        EngineHarness h(stage);
        h.start();
        h.time.advance(stall ? 11'000 : 0); // a stall past 50 s left, the first alarm point
        h.advanceTo(18'000);
        QCOMPARE(h.sound.log.count("play Timeout.wav"), 1); // the first alarm, once
        QCOMPARE(h.screen.clockHides, tixingtime);
        QVERIFY(h.screen.clockVisible); // the flash ends with the clock shown
    }

    void pauseNeverSkipsASecond_data()
    {
        QTest::addColumn<int>("offset");    // ms from a boundary of the shown second to the pause
        QTest::addColumn<bool>("tickLate"); // the tick of that boundary has not come yet
        QTest::newRow("5 ms before a flip") << -5 << false;
        QTest::newRow("at a flip") << 0 << false;
        QTest::newRow("1 ms after a flip") << 1 << false;
        QTest::newRow("1 ms after a flip, its tick late") << 1 << true;
        QTest::newRow("25 ms after a flip, its tick late") << 25 << true;
    }

    void pauseNeverSkipsASecond()
    {
        QFETCH(int, offset);
        QFETCH(bool, tickLate);
        EngineHarness h(stageOf(QTime(0, 5, 0), QStringLiteral("200")));
        h.start();
        h.advanceTo(29'900); // 04:31 shown; the flip to 04:30 comes at 30 s
        if (tickLate)
            h.engine->timers().timer1.stop();
        h.advanceTo(30'000 + offset);
        h.engine->PauseRun();
        const QString atPause = h.screen.shownClock;
        h.advance(3'000);
        h.engine->PauseRun();
        const qint64 continued = h.time.tickCount();
        QCOMPARE(h.screen.shownClock, atPause);
        h.advance(5'000);
        QCOMPARE(shownSeconds(h.screen), everySecond(300, int(shownSeconds(h.screen).size())));
        // After continuing, the second of the pause stays no longer than a second.
        for (const auto& [at, text] : h.screen.clockLog) {
            if (secondsOf(text) == secondsOf(atPause) - 1)
                QVERIFY2(at - continued <= 1030, qPrintable(QString::number(at - continued)));
        }
    }

    void stopThenClearWritesOneRecord_data()
    {
        QTest::addColumn<QString>("combolist");
        QTest::addColumn<int>("pauseMs");     // paused that long when stopped
        QTest::addColumn<int>("gap");         // ms between stop and clear
        QTest::addColumn<bool>("startAgain"); // a second start right after the clear
        QTest::newRow("clear at once") << "200" << 0 << 0 << false;
        QTest::newRow("stopped while paused, clear 1 ms later") << "200" << 10'000 << 1 << false;
        QTest::newRow("clear within the next tick") << "200" << 0 << 990 << false;
        QTest::newRow("clear and start at once") << "200" << 0 << 0 << true;
        QTest::newRow("count-up, stopped while paused") << "210" << 10'000 << 0 << false;
        QTest::newRow("next-stage stage") << "203" << 0 << 0 << false;
    }

    void stopThenClearWritesOneRecord()
    {
        QFETCH(QString, combolist);
        QFETCH(int, pauseMs);
        QFETCH(int, gap);
        QFETCH(bool, startAgain);
        StageSettings stage = stageOf(QTime(0, 5, 0), combolist);
        stage.Time_four = QTime(0, 4, 55);
        stage.musicfour = QStringLiteral("final.mp3"); // the final seconds loop from 5 s on
        EngineHarness h(stage);
        h.start();
        h.advance(12'345);
        if (pauseMs) {
            h.engine->PauseRun();
            h.advance(pauseMs);
        }
        h.engine->StopRun();
        QVERIFY(h.sound.log.lastIndexOf("stop final.mp3") > h.sound.log.lastIndexOf("loop final.mp3"));
        const QString stoppedAt = h.time.now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        QCOMPARE(h.engine->run().accumulatedMs[1], 12'345); // banked at the stop, or the pause before it
        h.engine->timers().timer1.fireNow();                // a tick that was on its way
        h.advance(gap);
        h.engine->StartRun(); // clears
        if (startAgain)
            h.engine->StartRun();
        h.advance(5'000);
        QCOMPARE(counterTimerActive(*h.engine), startAgain);
        if (!startAgain) // idle, showing the stage
            QCOMPARE(h.screen.shownClock, combolist == QLatin1String("210") ? "00:00:00" : "00:05:00");
        QCOMPARE(h.record(),
                 (QStringList{"00:05:00", "00:00:12", "00:00:00", pauseMs ? "00:00:10" : "00:00:00", stoppedAt}));
        QVERIFY(!h.sound.log.contains("play Stop.wav")); // a stopped run closes quietly
    }

    void overtime_data()
    {
        QTest::addColumn<int>("late");   // ms the time-up tick comes late (0: on time)
        QTest::addColumn<int>("first");  // ms after the time was up to the first pause, or to the stop
        QTest::addColumn<int>("pauses"); // pauses of 3 s, 700 ms apart
        QTest::newRow("pause 1 ms after time-up") << 0 << 1 << 1;
        QTest::newRow("pause 3 ms after (the time-up tick has come)") << 0 << 3 << 1;
        QTest::newRow("pause 300 ms after") << 0 << 300 << 1;
        QTest::newRow("pause 799 ms after") << 0 << 799 << 2;
        QTest::newRow("ten pauses") << 1 << 700 << 10;
        QTest::newRow("late time-up tick") << 400 << 1'400 << 0;
        QTest::newRow("late time-up tick, then pauses") << 250 << 700 << 5;
        QTest::newRow("up to its limit of 10 s") << 0 << 11'000 << 0;
    }

    void overtime()
    {
        QFETCH(int, late);
        QFETCH(int, first);
        QFETCH(int, pauses);
        StageSettings stage = stageOf(QTime(0, 0, 5), QStringLiteral("200"));
        stage.checkfour = QStringLiteral("1000"); // the overtime clock shows the overtime
        stage.Time_four = QTime(0, 0, 3);
        stage.musicfour = QStringLiteral("final.mp3"); // the final seconds loop, ending at time-up
        EngineHarness h(stage);
        h.start();
        h.advanceTo(late ? 4'900 : 0); // the time is up at 5 s; the machine may stall past it
        h.time.advance(late ? 100 + late : 0);
        h.advanceTo(5'000 + first);
        for (int i = 0; i < pauses; ++i) {
            h.engine->PauseRun();
            QVERIFY(!counterTimerActive(*h.engine)); // the overtime counter paused too
            h.advance(3'000);
            h.engine->PauseRun();
            QVERIFY(h.engine->timers().timer4.isActive() && !h.engine->timers().timer1.isActive());
            h.advance(700);
        }
        QVERIFY(h.sound.log.lastIndexOf("stop final.mp3") > h.sound.log.lastIndexOf("loop final.mp3"));
        h.engine->StopRun();
        // The 200 ms lead once, and only the time overtime ran, up to the limit.
        const int overtime = qMin(200 + first + 700 * pauses, 10'000);
        const bool limited = overtime == 10'000;
        QCOMPARE(h.engine->run().accumulatedMs[2], overtime);
        QCOMPARE(h.engine->run().accumulatedMs[3], 3'000 * pauses);
        QCOMPARE(h.record().mid(2, 2), (QStringList{runTimeText(overtime + 499), runTimeText(3'000 * pauses)}));
        QCOMPARE(shownSeconds(h.screen), everySecond(5, 6) + everySecond(1, overtime / 1000, 1));
        QCOMPARE(h.screen.overtimeClock, runTimeText(overtime));
        QCOMPARE(h.screen.endTexts, limited ? QStringList{"时间到"} : QStringList());
        QCOMPARE(h.screen.promptVisible, !limited);
        QCOMPARE(h.sound.log.contains("play Stop.wav"), limited);
    }

    void wallClockStepsAndSuspend_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<QTime>("startAt");
        QTest::addColumn<qint64>("stepMs");
        QTest::addColumn<bool>("suspend"); // the machine sleeps: tick count and wall clock move on, no timer fires
        const std::pair<const char*, int> steps[] = {{"+1 h", 3'600'000},  {"-1 h", -3'600'000}, {"+5 min", 300'000},
                                                     {"-5 min", -300'000}, {"-2 s", -2'000},     {"none", 0}};
        for (int source : {1, 2}) {
            for (const auto& [name, step] : steps)
                QTest::addRow("source %d, %s", source, name) << source << QTime(10, 0) << qint64(step) << false;
            QTest::addRow("source %d, across midnight", source) << source << QTime(23, 59) << qint64(0) << false;
            QTest::addRow("source %d, back across it", source)
                << source << QTime(0, 0, 20) << qint64(-600'000) << false;
            QTest::addRow("source %d, on across it", source) << source << QTime(23, 58) << qint64(300'000) << false;
        }
        for (int source : {0, 1, 2})
            QTest::addRow("source %d, suspended 50 s", source) << source << QTime(10, 0) << qint64(50'000) << true;
    }

    void wallClockStepsAndSuspend()
    {
        QFETCH(int, source);
        QFETCH(QTime, startAt);
        QFETCH(qint64, stepMs);
        QFETCH(bool, suspend);
        EngineHarness h(stageOf(QTime(0, 3, 0), QStringLiteral("201")), source, QDateTime(QDate(2026, 3, 2), startAt));
        h.start();
        h.advance(60'000);
        if (suspend)
            h.time.advance(stepMs);
        else
            h.time.setWallClock(h.time.now().addMSecs(stepMs)); // NTP or the user sets the clock
        h.advance(60'000);
        // Two minutes counted whatever the wall clock did, and the sleep (whole seconds on source 2).
        const int counted = 120 + (suspend ? int(stepMs / 1000) : 0);
        QVERIFY2(qAbs(secondsOf(h.screen.shownClock) - (180 - counted)) <= 1, qPrintable(h.screen.shownClock));
        h.engine->StopRun();
        QVERIFY2(qAbs(secondsOf(h.record().value(1)) - counted) <= 1, qPrintable(h.record().value(1)));
        if (!suspend) // every second shown, none skipped
            QCOMPARE(shownSeconds(h.screen), everySecond(180, int(shownSeconds(h.screen).size())));
    }

    void nextStage_data()
    {
        QTest::addColumn<int>("cycle");
        QTest::addColumn<int>("fromStage");
        QTest::addColumn<bool>("stopped"); // stopped by hand, then cleared
        QTest::addColumn<int>("toStage");
        QTest::newRow("cycle: the next stage runs") << 1 << 0 << false << 1;
        QTest::newRow("cycle: after the last comes the first") << 1 << 2 << false << 0;
        QTest::newRow("no cycle: the next stage waits") << 0 << 0 << false << 1;
        QTest::newRow("stopped by hand: the stage stays") << 1 << 1 << true << 1;
    }

    void nextStage()
    {
        QFETCH(int, cycle);
        QFETCH(int, fromStage);
        QFETCH(bool, stopped);
        QFETCH(int, toStage);
        EngineHarness h(stageOf(QTime(0, 0, 5 + fromStage), QStringLiteral("103")));
        for (int i = 0; i < 3; ++i)
            h.stages.stages << stageOf(QTime(0, 0, 5 + i), QStringLiteral("103"));
        h.stages.choose(fromStage);
        h.profile().write(QStringLiteral("Marquee"), QStringLiteral("checkcycle"), QString::number(cycle));
        h.start();
        if (stopped) {
            h.advance(2'000);
            h.engine->StopRun();
            h.start(); // clear
        }
        h.advance(10'000);
        QCOMPARE(h.engine->stage().Time_all, QTime(0, 0, 5 + toStage));
        // Only cycling starts the next stage at once.
        QCOMPARE(h.engine->status(), cycle == 1 && !stopped ? RunStatus::Running : RunStatus::Idle);
        QCOMPARE(h.rows.size(), 1);
    }

    void chosenStageRunsAtTheNextStart()
    {
        // A stage chosen from the list is not in the per-user store; it is still
        // the one the next start runs. One chosen or reloaded during a run
        // waits for the run's end.
        const StageSettings stored = stageOf(QTime(0, 0, 40), QStringLiteral("201"));
        EngineHarness h(stored);
        SaveStageSettings(h.registry, stored);
        h.stages.stages << stored << stageOf(QTime(0, 7, 0), QStringLiteral("201"));
        h.stages.choose(1);
        h.engine->stageChosen();
        h.advance(100);
        QCOMPARE(h.screen.shownClock, QStringLiteral("00:07:00"));
        h.start();
        h.advance(10'000);
        QCOMPARE(LoadStageSettings(h.registry).Time_all, QTime(0, 0, 40));
        h.stages.choose(0);
        h.engine->stageChosen();
        h.engine->reloadStage();
        h.advance(10'100);
        QCOMPARE(h.screen.shownClock, QStringLiteral("00:06:40"));
        h.engine->StopRun();
        h.start(); // the clear shows the stage chosen meanwhile
        QCOMPARE(h.screen.shownClock, QStringLiteral("00:00:40"));
        h.start();
        QCOMPARE(h.engine->run().totalSeconds, 40);
        QCOMPARE(h.record().value(0), QStringLiteral("00:07:00"));
    }

    void longTermRun_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("dateLine"); // at the start, empty when the date has passed
        QTest::addColumn<bool>("stop");        // stopped by hand 30 s after a pause of 2 s, or run on to the date
        QTest::addColumn<QString>("record");
        // The set time is the time of day the run began; the stage is its due date.
        QTest::newRow("stopped by hand") << QDate(2026, 3, 9) << "7天" << true
                                         << "09:00:00 00:00:30 00:00:00 00:00:02 2026-03-09 09:00:10";
        QTest::newRow("reaches its date")
            << QDate(2026, 3, 2) << "0天" << false << "09:00:00 00:00:08 00:00:00 00:00:02 2026-03-02 09:00:10";
        QTest::newRow("date passed") << QDate(2026, 2, 1) << "" << false
                                     << "09:00:00 00:00:00 00:00:00 00:00:00 2026-02-01 09:00:10";
    }

    void longTermRun()
    {
        QFETCH(QDate, date);
        QFETCH(QString, dateLine);
        QFETCH(bool, stop);
        QFETCH(QString, record);
        EngineHarness h(stageOf(QTime(9, 0, 10), QStringLiteral("300"), date));
        h.advance(100); // the long-term run starts by itself
        if (!dateLine.isEmpty()) {
            QCOMPARE(h.screen.dateLine, dateLine);
            QCOMPARE(h.screen.shownClock, QStringLiteral("00:00:10"));
            h.engine->PauseRun();
            h.advance(2'000);
            h.engine->PauseRun();
            h.advance(stop ? 30'000 : 12'000);
            if (stop)
                h.engine->StopRun();
        }
        QCOMPARE(h.engine->status(), RunStatus::Cleared);
        QCOMPARE(h.engine->run().phase == int(AlertPhase::End), !stop);
        QVERIFY(!counterTimerActive(*h.engine));
        QCOMPARE(h.record().join(QLatin1Char(' ')), record);
        // Clearing and starting again: a date that has passed only shows that it has ended.
        const QStringList played = h.sound.log.filter("play ");
        for (int i = 0; i < 3; ++i) {
            h.start();
            h.advance(2'000);
            if (h.engine->status() == RunStatus::Running)
                h.engine->StopRun();
            QCOMPARE(h.engine->status(), RunStatus::Cleared);
        }
        QCOMPARE(h.rows.size(), stop ? 4 : 1);
        if (!stop) {
            QCOMPARE(h.sound.log.filter("play "), played);
            QCOMPARE(h.screen.dateLine, QStringLiteral("0天"));
        }
    }
};

QTEST_GUILESS_MAIN(TestRunEngine)
#include "tst_runengine.moc"
