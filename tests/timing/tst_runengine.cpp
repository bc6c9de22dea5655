#include "EngineHarness.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

using namespace melvanta;

namespace {

StageSettings stageOf(const QTime& duration, const QString& combolist)
{
    StageSettings stage = StageSettings::defaults(QDate(2026, 3, 2));
    stage.Time_all = duration;
    stage.combolist = combolist;
    return stage;
}

// Seconds of a clock text "hh:mm:ss"; -1 for anything else.
int secondsOf(const QString& text)
{
    const QTime t = QTime::fromString(text, QStringLiteral("hh:mm:ss"));
    return t.isValid() ? TimeToSeconds(t) : -1;
}

bool counterTimerActive(RunEngine& engine)
{
    RunTimers& t = engine.timers();
    return t.timer1.isActive() || t.timer4.isActive() || t.timer10.isActive();
}

// The texts a clock showed from the log entry `from` on, as seconds, without repeats.
QList<int> shownSeconds(const RecordingScreen& screen, int from = 0)
{
    QList<int> seconds;
    for (int i = from; i < screen.clockLog.size(); ++i) {
        const int s = secondsOf(screen.clockLog.at(i).second);
        if (s >= 0 && (seconds.isEmpty() || seconds.last() != s))
            seconds << s;
    }
    return seconds;
}

} // namespace

class TestRunEngine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void tenSecondCountdown();
    void shownSecondFlipsOnTime_data();
    void shownSecondFlipsOnTime();
    void commandStatesFollowTheRun();
    void alarmPhases_data();
    void alarmPhases();
    void lateTickStillEntersAlarm();
    void pauseNeverSkipsASecond_data();
    void pauseNeverSkipsASecond();
    void stopThenClearWritesOneRecord_data();
    void stopThenClearWritesOneRecord();
    void recordOfStoppedRun();
    void commandsRightAfterTimeUp_data();
    void commandsRightAfterTimeUp();
    void overtimeCountsUpToLimit();
    void overtimeIgnoresPausesAndLateTimeUp_data();
    void overtimeIgnoresPausesAndLateTimeUp();
    void overtimeClockShowsOvertime();
    void finalSecondsLoopEndsWithTheRun_data();
    void finalSecondsLoopEndsWithTheRun();
    void resetAfterDelay_data();
    void resetAfterDelay();
    void wallClockSteps_data();
    void wallClockSteps();
    void suspendIsCounted();
    void flashEndsVisible_data();
    void flashEndsVisible();
    void nextStage_data();
    void nextStage();
    void chosenStageRunsAtTheNextStart();
    void reloadDuringARunLeavesItAlone();
    void longTermRunEndsAtItsDate();
    void longTermStopAndPastDates_data();
    void longTermStopAndPastDates();
};

void TestRunEngine::tenSecondCountdown()
{
    EngineHarness h(stageOf(QTime(0, 0, 10), QStringLiteral("201")));
    h.start();
    QCOMPARE(h.engine->status(), RunStatus::Running);
    QCOMPARE(h.sound.log, QStringList{"play alarm.wav"});
    // The first tick comes with the start and shows the whole duration.
    QCOMPARE(h.screen.clockTexts.last(), QStringLiteral("00:00:10"));
    h.advance(9400); // just before the last half second
    QCOMPARE(h.engine->status(), RunStatus::Running);
    QCOMPARE(h.screen.clockTexts.last(), QStringLiteral("00:00:01"));
    h.advance(200);
    QCOMPARE(h.engine->status(), RunStatus::Cleared);
    QCOMPARE(h.engine->run().phase, int(AlertPhase::End));
    QCOMPARE(h.screen.clockTexts.last(), QStringLiteral("00:00:00"));
    QCOMPARE(shownSeconds(h.screen), (QList<int>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
    QVERIFY(h.sound.log.contains("play Stop.wav"));
    const QList<QStringList> rows = h.records_();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0][1], QStringLiteral("00:00:10"));
    QVERIFY(!counterTimerActive(*h.engine));
}

void TestRunEngine::shownSecondFlipsOnTime_data()
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
        QTest::newRow("long-term" + busy) << "301" << 0 << "wall" << late;
    }
}

void TestRunEngine::shownSecondFlipsOnTime()
{
    QFETCH(QString, combolist);
    QFETCH(int, source);
    QFETCH(QString, kind);
    QFETCH(int, maxLate);
    StageSettings stage = stageOf(QTime(0, 0, 30), combolist);
    if (kind == QLatin1String("overtime")) {
        stage.Time_all = QTime(0, 0, 5);
        stage.Time_five = QTime(0, 1, 0); // the limit lies beyond the test
    }
    if (combolist.startsWith(QLatin1Char('3'))) { // long-term, towards a date a day away
        stage.checkone = QStringLiteral("1111111");
        stage.time_date = QDate(2026, 3, 3);
        stage.combolist = QStringLiteral("301");
    }
    // The wall clock starts 437 ms into a second, so that its seconds and the run's differ.
    EngineHarness h(stage, source, QDateTime(QDate(2026, 3, 2), QTime(9, 0, 0, 437)));
    QRandomGenerator random(7);
    h.lateBy = [&] { return qint64(random.bounded(maxLate + 1)); };
    if (stage.longTerm())
        h.advance(100); // the long-term run starts by itself
    else
        h.start();
    QVERIFY(!h.screen.clockLog.isEmpty());
    const qint64 mark = h.screen.clockLog.first().first;
    const int total = TimeToSeconds(stage.Time_all);
    if (kind == QLatin1String("down"))
        QCOMPARE(secondsOf(h.screen.clockLog.first().second), total);
    const int logStart = kind == QLatin1String("overtime") ? 0 : 1;
    h.advance(20'000);

    const qint64 timeUp = mark + qint64(total) * 1000 - 500;
    int previous = -1;
    int flips = 0;
    for (int i = logStart; i < h.screen.clockLog.size(); ++i) {
        const auto& [at, text] = h.screen.clockLog.at(i);
        const int value = secondsOf(text);
        if (value < 0)
            continue;
        qint64 boundary = 0;
        if (kind == QLatin1String("down"))
            boundary = mark + qint64(total - value) * 1000 - 500;
        else if (kind == QLatin1String("up"))
            boundary = mark + qint64(value) * 1000;
        else if (kind == QLatin1String("overtime")) {
            if (at <= timeUp || value == 0)
                continue; // the main clock's seconds and its end
            boundary = timeUp + qint64(value) * 1000 - 200;
        } else {
            // The wall clock's own second; it started 437 ms into one, with the tick count at 1 000 000.
            boundary = at - (437 + at - 1'000'000) % 1000;
        }
        const qint64 late = at - boundary;
        QVERIFY2(late >= 0 && late <= 30,
                 qPrintable(QStringLiteral("%1 shown %2 ms after its boundary").arg(text).arg(late)));
        if (previous >= 0)
            QVERIFY2(qAbs(value - previous) == 1, qPrintable(QStringLiteral("%1 after %2").arg(value).arg(previous)));
        previous = value;
        ++flips;
    }
    QVERIFY2(flips >= 14, qPrintable(QString::number(flips)));
}

void TestRunEngine::commandStatesFollowTheRun()
{
    EngineHarness h(stageOf(QTime(0, 5, 0), QStringLiteral("100")));
    QCOMPARE(h.screen.commands, CommandState::forStatus(RunStatus::Idle));
    h.start();
    QCOMPARE(h.screen.commands.button0Enabled, false);
    QCOMPARE(h.screen.commands.button2Caption, QStringLiteral(" 暂停 "));
    h.engine->PauseRun();
    QCOMPARE(h.screen.commands.button2Caption, QStringLiteral(" 继续 "));
    QCOMPARE(h.screen.commands.pausePrefix, QStringLiteral("继续"));
    h.engine->PauseRun();
    QCOMPARE(h.screen.commands, CommandState::forStatus(RunStatus::Running));
    h.engine->StopRun();
    QCOMPARE(h.screen.commands.button0Caption, QStringLiteral(" 清零 "));
    QCOMPARE(h.screen.commands.startPrefix, QStringLiteral("清零"));
    QVERIFY(h.screen.commands.exitEnabled && h.screen.commands.lowerItemsShown);
    h.start(); // clears
    QCOMPARE(h.engine->status(), RunStatus::Idle);
    QCOMPARE(h.screen.commands, CommandState::forStatus(RunStatus::Idle));
    QCOMPARE(h.screen.shownClock, QStringLiteral("05:00"));
    QCOMPARE(withCaptionPrefix(QStringLiteral("开始 (F9)"), QStringLiteral("清零")), QStringLiteral("清零 (F9)"));
}

void TestRunEngine::alarmPhases_data()
{
    QTest::addColumn<QTime>("one");
    QTest::addColumn<QTime>("two");
    QTest::addColumn<QList<int>>("entered");
    QTest::addColumn<QStringList>("sounds");
    QTest::newRow("distinct points") << QTime(0, 0, 50) << QTime(0, 0, 40) << QList<int>{1, 2, 3, 4}
                                     << QStringList{"stop alarm.wav", "play Timeout.wav", "stop Timeout.wav",
                                                    "play Timeout.wav"};
    QTest::newRow("equal points enter the first") << QTime(0, 0, 45) << QTime(0, 0, 45) << QList<int>{1, 3, 4}
                                                  << QStringList{"stop alarm.wav", "play Timeout.wav"};
    QTest::newRow("point at the whole duration") << QTime(0, 1, 0) << QTime(0, 0, 40) << QList<int>{2, 3, 4}
                                                 << QStringList{"stop Timeout.wav", "play Timeout.wav"};
}

void TestRunEngine::alarmPhases()
{
    QFETCH(QTime, one);
    QFETCH(QTime, two);
    QFETCH(QList<int>, entered);
    QFETCH(QStringList, sounds);
    StageSettings stage = stageOf(QTime(0, 1, 0), QStringLiteral("201"));
    stage.Time_one = one;
    stage.Time_two = two;
    stage.checkone = QStringLiteral("0111110");
    stage.checkthree = QStringLiteral("111111");
    EngineHarness h(stage);
    h.start();
    QList<int> phases;
    int last = 0;
    for (int i = 0; i < 70 && h.engine->status() == RunStatus::Running; ++i) {
        h.advance(985);
        const int phase = h.engine->run().phase;
        if (phase != last && phase >= 1 && phase <= 4) {
            phases << phase;
            // A phase begins as its second appears on the clock.
            const QTime point = std::array<QTime, 5>{QTime(), one, two, stage.Time_three, stage.Time_four}[phase];
            QCOMPARE(secondsOf(h.screen.clockTexts.last()), TimeToSeconds(point));
        }
        last = phase;
    }
    QCOMPARE(phases, entered);
    QCOMPARE(h.screen.phaseLooks.mid(0, entered.size()), entered);
    QVERIFY(h.screen.promptTexts.contains(QStringLiteral("阶段三")));
    // Each entry stops the previous phase's sound and plays its own, once.
    QCOMPARE(h.sound.log.mid(1, sounds.size()), sounds);
    QCOMPARE(h.sound.log.count("play Timeout.wav"), entered.size());
}

void TestRunEngine::lateTickStillEntersAlarm()
{
    StageSettings stage = stageOf(QTime(0, 1, 0), QStringLiteral("101"));
    EngineHarness h(stage);
    h.start();
    h.advance(400);
    // The machine stalls for 8 s across the first alarm point (50 s left).
    h.engine->timers().timer1.stop();
    h.advance(8000);
    h.engine->timers().timer1.start();
    h.advance(985 * 3);
    QCOMPARE(h.engine->run().phase, 1);
    QCOMPARE(h.sound.log.count("play Timeout.wav"), 1);
}

void TestRunEngine::pauseNeverSkipsASecond_data()
{
    QTest::addColumn<int>("offset");    // ms from a boundary of the shown second to the pause
    QTest::addColumn<bool>("tickLate"); // the tick of that boundary has not come yet
    QTest::newRow("5 ms before a flip") << -5 << false;
    QTest::newRow("at a flip") << 0 << false;
    QTest::newRow("1 ms after a flip") << 1 << false;
    QTest::newRow("1 ms after a flip, its tick late") << 1 << true;
    QTest::newRow("25 ms after a flip, its tick late") << 25 << true;
}

void TestRunEngine::pauseNeverSkipsASecond()
{
    QFETCH(int, offset);
    QFETCH(bool, tickLate);
    EngineHarness h(stageOf(QTime(0, 5, 0), QStringLiteral("200")));
    h.start();
    const qint64 mark = h.time.tickCount();
    h.advance(29'400); // 04:31 shown; the flip to 04:30 comes at 29.5 s
    if (tickLate)
        h.engine->timers().timer1.stop();
    h.advance(29'500 + offset - (h.time.tickCount() - mark));
    h.engine->PauseRun();
    const int atPause = secondsOf(h.screen.clockTexts.last());
    h.advance(3'000);
    h.engine->PauseRun();
    const qint64 continued = h.time.tickCount();
    QCOMPARE(secondsOf(h.screen.clockTexts.last()), atPause);
    h.advance(5'000);
    const QList<int> shown = shownSeconds(h.screen);
    QCOMPARE(shown.first(), 300);
    for (int i = 1; i < shown.size(); ++i)
        QVERIFY2(shown[i - 1] - shown[i] == 1,
                 qPrintable(QStringLiteral("%1 after %2").arg(shown[i]).arg(shown[i - 1])));
    // After continuing, the second of the pause stays no longer than a second.
    for (const auto& [at, text] : h.screen.clockLog) {
        if (secondsOf(text) == atPause - 1)
            QVERIFY2(at - continued <= 1030, qPrintable(QString::number(at - continued)));
    }
}

void TestRunEngine::stopThenClearWritesOneRecord_data()
{
    QTest::addColumn<int>("gap");         // ms between stop and clear
    QTest::addColumn<bool>("startAgain"); // a second start right after the clear
    QTest::addColumn<QString>("combolist");
    QTest::addColumn<QString>("idleClock"); // what the cleared clock shows
    QTest::newRow("clear at once") << 0 << false << "200"
                                   << "00:05:00";
    QTest::newRow("clear 1 ms later") << 1 << false << "200"
                                      << "00:05:00";
    QTest::newRow("clear within the next tick") << 990 << false << "200"
                                                << "00:05:00";
    QTest::newRow("clear and start at once") << 0 << true << "200"
                                             << "00:05:00";
    QTest::newRow("count-up, clear at once") << 0 << false << "210"
                                             << "00:00:00";
    QTest::newRow("next-stage stage, clear at once") << 0 << false << "203"
                                                     << "00:05:00";
}

void TestRunEngine::stopThenClearWritesOneRecord()
{
    QFETCH(int, gap);
    QFETCH(bool, startAgain);
    QFETCH(QString, combolist);
    QFETCH(QString, idleClock);
    EngineHarness h(stageOf(QTime(0, 5, 0), combolist));
    h.start();
    h.advance(12'345);
    h.engine->StopRun();
    QCOMPARE(h.engine->status(), RunStatus::Cleared);
    QVERIFY(!counterTimerActive(*h.engine));
    QCOMPARE(h.engine->run().accumulatedMs[1], 12'345); // banked at the command
    h.advance(gap);
    h.engine->StartRun(); // clears
    if (startAgain)
        h.engine->StartRun();
    h.advance(100);
    QCOMPARE(h.engine->status(), startAgain ? RunStatus::Running : RunStatus::Idle);
    if (startAgain)
        h.engine->StopRun();
    h.advance(5'000);
    QVERIFY(!counterTimerActive(*h.engine));
    const QList<QStringList> rows = h.records_();
    QCOMPARE(rows.size(), startAgain ? 2 : 1);
    QCOMPARE(rows[0].mid(0, 4), (QStringList{"00:05:00", "00:00:12", "00:00:00", "00:00:00"}));
    if (!startAgain)
        QCOMPARE(h.screen.shownClock, idleClock); // idle, nothing counts
}

void TestRunEngine::recordOfStoppedRun()
{
    EngineHarness h(stageOf(QTime(0, 5, 0), QStringLiteral("100")));
    h.start();
    h.advance(100'000);
    h.engine->PauseRun();
    h.advance(10'000);
    h.engine->PauseRun();
    h.advance(99'900); // 3:20 counted
    h.engine->StopRun();
    h.advance(5'000);
    const QList<QStringList> rows = h.records_();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].mid(0, 4), (QStringList{"00:05:00", "00:03:20", "00:00:00", "00:00:10"}));
    QCOMPARE(rows[0][4], QStringLiteral("2026-03-02 09:03:30"));
    // Nothing played or changed colour while the stopped run closed.
    QVERIFY(!h.sound.log.contains("play Stop.wav"));
}

void TestRunEngine::commandsRightAfterTimeUp_data()
{
    QTest::addColumn<int>("after"); // ms after the moment the time was up
    QTest::newRow("1 ms") << 1;
    QTest::newRow("3 ms (the time-up tick has come)") << 3;
    QTest::newRow("300 ms") << 300;
    QTest::newRow("799 ms") << 799;
}

void TestRunEngine::commandsRightAfterTimeUp()
{
    QFETCH(int, after);
    EngineHarness h(stageOf(QTime(0, 0, 5), QStringLiteral("200")));
    h.start();
    const qint64 mark = h.time.tickCount();
    h.advance(4'500 + after - (h.time.tickCount() - mark)); // the time is up at 4.5 s
    h.engine->PauseRun();
    QCOMPARE(h.engine->status(), RunStatus::Paused);
    QVERIFY(!counterTimerActive(*h.engine)); // the overtime counter paused, not the main one
    h.advance(4'000);
    QVERIFY(!counterTimerActive(*h.engine));
    h.engine->PauseRun();
    QVERIFY(h.engine->timers().timer4.isActive() && !h.engine->timers().timer1.isActive());
    h.advance(2'000);
    h.engine->StopRun();
    h.advance(3'000);
    const QList<QStringList> rows = h.records_();
    QCOMPARE(rows.size(), 1);
    // 200 ms lead, `after` ms before the pause and 2 s after it.
    const qint64 overtime = 200 + after + 2000;
    QCOMPARE(rows[0][2], SecondsToTime(int((overtime + 499) / 1000)).toString(QStringLiteral("hh:mm:ss")));
    QCOMPARE(rows[0][3], QStringLiteral("00:00:04"));
}

void TestRunEngine::overtimeCountsUpToLimit()
{
    StageSettings stage = stageOf(QTime(0, 0, 30), QStringLiteral("200"));
    stage.Time_five = QTime(0, 0, 10);
    EngineHarness h(stage);
    h.start();
    h.advance(30'000);
    QVERIFY(h.engine->timers().timer4.isActive());
    QCOMPARE(h.engine->run().phase, int(AlertPhase::Five));
    QCOMPARE(h.screen.clockTexts.last(), QStringLiteral("00:00:00"));
    h.screen.clockTexts.clear();
    h.advance(8'000);
    QStringList shown = h.screen.clockTexts;
    shown.removeDuplicates();
    QCOMPARE(shown.mid(0, 3), (QStringList{"00:00:01", "00:00:02", "00:00:03"}));
    QCOMPARE(h.engine->status(), RunStatus::Running);
    h.advance(3'000);
    QCOMPARE(h.engine->status(), RunStatus::Cleared);
    QCOMPARE(h.engine->run().phase, int(AlertPhase::End));
    QCOMPARE(h.screen.clockTexts.last(), QStringLiteral("00:00:10"));
    QCOMPARE(h.screen.endTexts, QStringList{"时间到"});
    QVERIFY(!h.screen.promptVisible);
    QVERIFY(!counterTimerActive(*h.engine));
    const QList<QStringList> rows = h.records_();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0][2], QStringLiteral("00:00:10"));
    QVERIFY(h.sound.log.contains("play Stop.wav"));
}

void TestRunEngine::overtimeIgnoresPausesAndLateTimeUp_data()
{
    QTest::addColumn<int>("pauses");     // pause/continue cycles of 3 s in overtime
    QTest::addColumn<int>("timeUpLate"); // ms the time-up tick comes late
    QTest::newRow("ten pauses") << 10 << 0;
    QTest::newRow("late time-up tick") << 0 << 400;
    QTest::newRow("both") << 5 << 250;
}

void TestRunEngine::overtimeIgnoresPausesAndLateTimeUp()
{
    QFETCH(int, pauses);
    QFETCH(int, timeUpLate);
    EngineHarness h(stageOf(QTime(0, 0, 5), QStringLiteral("200")));
    h.start();
    const qint64 mark = h.time.tickCount();
    h.advance(4'000);
    h.engine->timers().timer1.stop();
    // The time was up just after 4.5 s; its tick comes late.
    const qint64 late = qMax(1, timeUpLate);
    h.advance(4'500 + late - (h.time.tickCount() - mark));
    h.engine->ticker().mainTick();
    QVERIFY(h.engine->timers().timer4.isActive());
    qint64 counted = 200 + late; // overtime so far, with its 200 ms lead
    for (int i = 0; i < pauses; ++i) {
        h.advance(700);
        counted += 700;
        h.engine->PauseRun();
        h.advance(3'000);
        h.engine->PauseRun();
    }
    h.advance(1'000);
    counted += 1'000;
    h.engine->StopRun();
    QCOMPARE(h.engine->run().accumulatedMs[2], counted);
    QCOMPARE(h.engine->run().accumulatedMs[3], qint64(pauses) * 3'000);
}

void TestRunEngine::overtimeClockShowsOvertime()
{
    StageSettings stage = stageOf(QTime(0, 0, 5), QStringLiteral("200"));
    stage.checkfour = QStringLiteral("1000");
    stage.Time_five = QTime(0, 1, 0);
    EngineHarness h(stage);
    h.start();
    h.advance(8'400); // 3.9 s of overtime and its lead
    QCOMPARE(h.screen.shownClock, QStringLiteral("00:00:00"));
    QVERIFY(h.screen.overtimeVisible);
    QCOMPARE(h.screen.overtimeTexts.last(), QStringLiteral("00:00:04"));
    // A stop during overtime banks it at once.
    h.engine->StopRun();
    QCOMPARE(h.engine->run().accumulatedMs[2], 8'400 - 4'500 + 200);
    QCOMPARE(h.records_().value(0).value(2), QStringLiteral("00:00:04"));
}

void TestRunEngine::finalSecondsLoopEndsWithTheRun_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("stop") << "stop";
    QTest::newRow("pause, then stop") << "pause-stop";
    QTest::newRow("time up") << "time-up";
}

void TestRunEngine::finalSecondsLoopEndsWithTheRun()
{
    QFETCH(QString, how);
    StageSettings stage = stageOf(QTime(0, 0, 30), QStringLiteral("201"));
    stage.musicfour = QStringLiteral("final.mp3"); // an MP3 loops like any sound
    EngineHarness h(stage);
    h.sandbox.writeFile(QStringLiteral("sounds/final.mp3"), QByteArray("ID3"));
    h.start();
    h.advance(11'000); // 20 s left: the final seconds loop
    QCOMPARE(h.sound.log.last(), QStringLiteral("loop final.mp3"));
    if (how == QLatin1String("stop")) {
        h.engine->StopRun();
    } else if (how == QLatin1String("pause-stop")) {
        h.engine->PauseRun();
        h.engine->StopRun();
    } else {
        h.advance(20'000);
    }
    QCOMPARE(h.engine->status(), RunStatus::Cleared);
    QVERIFY(h.sound.log.lastIndexOf("stop final.mp3") > h.sound.log.lastIndexOf("loop final.mp3"));
}

void TestRunEngine::resetAfterDelay_data()
{
    QTest::addColumn<bool>("delayed");
    QTest::newRow("after the delay") << true;
    QTest::newRow("at once") << false;
}

void TestRunEngine::resetAfterDelay()
{
    QFETCH(bool, delayed);
    StageSettings stage = stageOf(QTime(0, 0, 10), QStringLiteral("102"));
    stage.checkfour = delayed ? QStringLiteral("0010") : QStringLiteral("0000");
    EngineHarness h(stage);
    h.profile().write(QStringLiteral("pictureset"), QStringLiteral("Delaytime"), QStringLiteral("5"));
    h.start();
    h.screen.restartDelays.clear();
    h.advance(10'000);
    QCOMPARE(h.records_().size(), 1);
    if (delayed) {
        QCOMPARE(h.engine->status(), RunStatus::Cleared);
        h.advance(5'500);
        QCOMPARE(h.screen.restartDelays.mid(0, 6), (QList<int>{5, 4, 3, 2, 1, 0}));
    }
    h.advance(1'100);
    QCOMPARE(h.engine->status(), RunStatus::Idle);
    QCOMPARE(h.screen.shownClock, QStringLiteral("00:10"));
    QVERIFY(!counterTimerActive(*h.engine));
    QCOMPARE(h.screen.restartDelays.last(), 0);
    QCOMPARE(h.records_().size(), 1);
}

void TestRunEngine::wallClockSteps_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<QTime>("startAt");
    QTest::addColumn<qint64>("stepMs");
    const std::pair<const char*, qint64> steps[] = {{"+1 h", 3'600'000},  {"-1 h", -3'600'000}, {"+5 min", 300'000},
                                                    {"-5 min", -300'000}, {"none", 0},          {"-2 s", -2'000}};
    for (int source : {1, 2}) {
        for (const auto& [name, step] : steps)
            QTest::addRow("source %d, %s", source, name) << source << QTime(10, 0, 0) << step;
        QTest::addRow("source %d, across midnight", source) << source << QTime(23, 59, 0) << qint64(0);
        QTest::addRow("source %d, back across midnight", source) << source << QTime(0, 0, 20) << qint64(-600'000);
        QTest::addRow("source %d, on across midnight", source) << source << QTime(23, 58, 0) << qint64(300'000);
    }
}

void TestRunEngine::wallClockSteps()
{
    QFETCH(int, source);
    QFETCH(QTime, startAt);
    QFETCH(qint64, stepMs);
    EngineHarness h(stageOf(QTime(0, 3, 0), QStringLiteral("201")), source, QDateTime(QDate(2026, 3, 2), startAt));
    h.start();
    h.advance(60'000);
    h.time.setWallClock(h.time.now().addMSecs(stepMs)); // NTP or the user sets the clock
    h.advance(60'000);
    // Two minutes counted whatever the wall clock did: one left (whole seconds on source 2).
    QVERIFY2(qAbs(secondsOf(h.screen.clockTexts.last()) - 60) <= 1, qPrintable(h.screen.clockTexts.last()));
    QCOMPARE(h.engine->status(), RunStatus::Running);
    h.engine->StopRun();
    const QList<QStringList> rows = h.records_();
    QCOMPARE(rows.size(), 1);
    QVERIFY2(qAbs(secondsOf(rows[0][1]) - 120) <= 1, qPrintable(rows[0][1]));
    // Every second was shown, none skipped.
    const QList<int> shown = shownSeconds(h.screen);
    for (int i = 1; i < shown.size(); ++i)
        QVERIFY2(shown[i - 1] - shown[i] == 1,
                 qPrintable(QStringLiteral("%1 after %2").arg(shown[i]).arg(shown[i - 1])));
}

void TestRunEngine::suspendIsCounted()
{
    // The machine sleeps 10 minutes in a 30-minute run: no timer fires, the
    // tick count and the wall clock both move on.
    for (int source : {0, 1, 2}) {
        EngineHarness h(stageOf(QTime(0, 30, 0), QStringLiteral("201")), source);
        h.start();
        h.advance(5 * 60'000);
        h.time.advance(10 * 60'000);
        h.advance(1'000);
        const int left = 30 * 60 - (15 * 60 + 1);
        QVERIFY2(qAbs(secondsOf(h.screen.clockTexts.last()) - left) <= 1, qPrintable(h.screen.clockTexts.last()));
    }
}

void TestRunEngine::flashEndsVisible_data()
{
    QTest::addColumn<int>("tixingtime");
    QTest::newRow("3 s") << 3;
    QTest::newRow("1 s") << 1;
    QTest::newRow("0 s") << 0;
}

void TestRunEngine::flashEndsVisible()
{
    QFETCH(int, tixingtime);
    StageSettings stage = stageOf(QTime(0, 1, 0), QStringLiteral("101"));
    stage.tixingtime = qint16(tixingtime);
    EngineHarness h(stage);
    h.start();
    h.advance(10'000); // alarm 1 at 50 s left starts the flash
    QCOMPARE(h.engine->run().phase, 1);
    h.advance(5'000);
    QCOMPARE(h.screen.clockHides, tixingtime);
    QVERIFY(h.screen.clockVisible);
    QVERIFY(!h.engine->timers().timer3.isActive());
}

void TestRunEngine::nextStage_data()
{
    QTest::addColumn<int>("cycle");
    QTest::addColumn<int>("fromStage");
    QTest::addColumn<bool>("stopped"); // stopped by hand, then cleared
    QTest::addColumn<int>("toStage");
    QTest::addColumn<bool>("runs");
    QTest::newRow("cycle: the next stage runs") << 1 << 0 << false << 1 << true;
    QTest::newRow("cycle: after the last comes the first") << 1 << 2 << false << 0 << true;
    QTest::newRow("no cycle: the next stage waits") << 0 << 0 << false << 1 << false;
    QTest::newRow("stopped by hand: the stage stays") << 1 << 1 << true << 1 << false;
}

void TestRunEngine::nextStage()
{
    QFETCH(int, cycle);
    QFETCH(int, fromStage);
    QFETCH(bool, stopped);
    QFETCH(int, toStage);
    QFETCH(bool, runs);
    FakeStageList list;
    for (int i = 0; i < 3; ++i)
        list.stages << stageOf(QTime(0, 0, 5 + i), QStringLiteral("103"));
    EngineHarness h(list.stages[fromStage]);
    h.profile().write(QStringLiteral("Marquee"), QStringLiteral("checkcycle"), QString::number(cycle));
    h.useStageList(list, fromStage);
    h.start();
    if (stopped) {
        h.advance(2'000);
        h.engine->StopRun();
        h.start(); // clear
    }
    h.advance(10'000);
    QCOMPARE(list.checkedIndex(), toStage);
    QCOMPARE(h.engine->stage().Time_all, QTime(0, 0, 5 + toStage));
    QCOMPARE(h.engine->status(), runs ? RunStatus::Running : RunStatus::Idle);
    QCOMPARE(h.records_().size(), 1);
}

void TestRunEngine::chosenStageRunsAtTheNextStart()
{
    // A stage chosen from the list is not in the per-user store; it is still
    // the one every following start runs.
    FakeStageList list;
    list.stages << stageOf(QTime(0, 0, 40), QStringLiteral("201")) << stageOf(QTime(0, 7, 0), QStringLiteral("201"));
    EngineHarness h(list.stages[0]);
    SaveStageSettings(h.registry, list.stages[0]);
    h.useStageList(list, 1);
    h.engine->stageChosen();
    h.advance(100);
    QCOMPARE(h.screen.shownClock, QStringLiteral("00:07:00"));
    for (int run = 0; run < 2; ++run) {
        h.start();
        QCOMPARE(h.engine->run().totalSeconds, 420);
        h.advance(2'000);
        h.engine->StopRun();
        h.start(); // clear
    }
    QCOMPARE(LoadStageSettings(h.registry).Time_all, QTime(0, 0, 40));
}

void TestRunEngine::reloadDuringARunLeavesItAlone()
{
    EngineHarness h(stageOf(QTime(0, 1, 0), QStringLiteral("201")));
    h.start();
    h.advance(10'000);
    StageSettings other = stageOf(QTime(0, 0, 5), QStringLiteral("201"));
    h.current.replace(other);
    h.engine->reloadStage();
    h.engine->stageChosen();
    h.advance(10'000);
    QCOMPARE(h.engine->status(), RunStatus::Running);
    QCOMPARE(h.screen.clockTexts.last(), QStringLiteral("00:00:40"));
    h.engine->StopRun();
    h.start(); // the clear shows the new current stage
    QCOMPARE(h.screen.shownClock, QStringLiteral("00:00:05"));
}

void TestRunEngine::longTermRunEndsAtItsDate()
{
    StageSettings stage = stageOf(QTime(9, 0, 10), QStringLiteral("300"));
    stage.checkone = QStringLiteral("1111111");
    stage.time_date = QDate(2026, 3, 3);
    EngineHarness h(stage);
    h.advance(100); // the long-term run starts by itself
    QCOMPARE(h.engine->status(), RunStatus::Running);
    QCOMPARE(h.screen.dateLines.last(), QStringLiteral("1天"));
    QCOMPARE(h.screen.longTermClocks.last(), QStringLiteral("00:00:10"));
    h.engine->PauseRun();
    QVERIFY(!counterTimerActive(*h.engine));
    h.advance(2'000);
    h.engine->PauseRun();
    QVERIFY(h.engine->timers().timer10.isActive());
    h.time.advance(86'400'000 - 4'000); // a day later, 08:59:58 on the due date
    h.advance(1'000);
    QCOMPARE(h.screen.longTermClocks.last(), QStringLiteral("00:00:11"));
    QCOMPARE(h.screen.dateLines.last(), QStringLiteral("0天"));
    h.advance(12'000);
    QCOMPARE(h.engine->status(), RunStatus::Cleared);
    QCOMPARE(h.engine->run().phase, int(AlertPhase::End));
    QVERIFY(!counterTimerActive(*h.engine));
    const QList<QStringList> rows = h.records_();
    QCOMPARE(rows.size(), 1);
    // The set time is the time of day the run began; the stage is its due date.
    QCOMPARE(rows[0][0], QStringLiteral("09:00:00"));
    QCOMPARE(rows[0][3], QStringLiteral("00:00:02"));
    QCOMPARE(rows[0][4], QStringLiteral("2026-03-03 09:00:10"));
}

void TestRunEngine::longTermStopAndPastDates_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<bool>("stop"); // stopped by hand after 30 s
    QTest::newRow("future date, stopped") << QDate(2026, 3, 9) << true;
    QTest::newRow("past date") << QDate(2026, 2, 1) << false;
}

void TestRunEngine::longTermStopAndPastDates()
{
    QFETCH(QDate, date);
    QFETCH(bool, stop);
    StageSettings stage = stageOf(QTime(9, 0, 0), QStringLiteral("300"));
    stage.checkone = QStringLiteral("1111111");
    stage.time_date = date;
    EngineHarness h(stage);
    h.advance(100);
    if (stop) {
        QCOMPARE(h.engine->status(), RunStatus::Running);
        h.advance(30'000);
        h.engine->StopRun();
    }
    QCOMPARE(h.engine->status(), RunStatus::Cleared);
    QVERIFY(!counterTimerActive(*h.engine));
    const int sounds = int(h.sound.log.filter(QRegularExpression(QStringLiteral("^(play|loop) "))).size());
    // Clearing and starting again: a past date only shows that it has ended.
    for (int i = 0; i < 3; ++i) {
        h.start();
        h.advance(2'000);
        if (h.engine->status() == RunStatus::Running)
            h.engine->StopRun();
        QCOMPARE(h.engine->status(), RunStatus::Cleared);
    }
    const QList<QStringList> rows = h.records_();
    QCOMPARE(rows.size(), stop ? 4 : 1);
    QCOMPARE(rows[0][1], stop ? QStringLiteral("00:00:30") : QStringLiteral("00:00:00"));
    if (!stop) {
        QCOMPARE(h.sound.log.filter(QRegularExpression(QStringLiteral("^(play|loop) "))).size(), sounds);
        QCOMPARE(h.screen.dateLines.last(), QStringLiteral("0天"));
    }
}

QTEST_GUILESS_MAIN(TestRunEngine)
#include "tst_runengine.moc"
