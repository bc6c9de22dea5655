#include "EngineHarness.h"

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

} // namespace

class TestRunEngine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void tenSecondCountdown();
    void commandStatesFollowTheRun();
    void commandsIgnoredWhenDisabled();
    void alarmPhases_data();
    void alarmPhases();
    void lateTickStillEntersAlarm();
    void pauseAndContinue();
    void stopWhilePausedClosesThePause();
    void recordOfStoppedRun();
    void overtimeCountsUpToLimit();
    void overtimeLimitSurvivesLateTick();
    void overtimeClockShowsOvertime();
    void resetAfterDelay_data();
    void resetAfterDelay();
    void acrossMidnight_data();
    void acrossMidnight();
    void wallClockJumpOnTickCount();
    void flashEndsVisible_data();
    void flashEndsVisible();
    void continuousFinalSecondsLoops();
    void nextStage_data();
    void nextStage();
    void stoppedNextStageRunKeepsItsStage();
    void damagedDatabaseDoesNotDisturbTheRun();
    void longTermRunEndsAtItsDate();
    void systemTimeShowsTheTimeOfDay();
};

void TestRunEngine::tenSecondCountdown()
{
    EngineHarness h(stageOf(QTime(0, 0, 10), QStringLiteral("201")));
    h.start();
    QCOMPARE(h.engine->status(), RunStatus::Running);
    QCOMPARE(h.sound.log, QStringList{"play alarm.wav"});
    h.screen.clockTexts.clear();
    h.advance(500);
    QCOMPARE(h.screen.clockTexts, QStringList{"00:00:10"});
    h.advance(9800); // just before the last whole second runs out
    QCOMPARE(h.engine->status(), RunStatus::Running);
    QCOMPARE(h.screen.clockTexts.last(), QStringLiteral("00:00:01"));
    h.advance(600);
    QCOMPARE(h.engine->status(), RunStatus::Cleared);
    QCOMPARE(h.engine->run().phase, int(AlertPhase::End));
    QCOMPARE(h.screen.clockTexts.last(), QStringLiteral("00:00:00"));
    // Every second was shown once, counting down.
    QStringList expected;
    for (int s = 10; s >= 0; --s)
        expected << QStringLiteral("00:00:%1").arg(s, 2, 10, QLatin1Char('0'));
    expected.removeDuplicates();
    QStringList shown = h.screen.clockTexts;
    shown.removeDuplicates();
    QCOMPARE(shown, expected);
    QVERIFY(h.sound.log.contains("play Stop.wav"));
    QCOMPARE(h.records_().size(), 1);
    QVERIFY(!h.engine->timers().timer1.isActive());
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

void TestRunEngine::commandsIgnoredWhenDisabled()
{
    EngineHarness h(stageOf(QTime(0, 5, 0), QStringLiteral("100")));
    h.engine->PauseRun();
    h.engine->StopRun();
    QCOMPARE(h.engine->status(), RunStatus::Idle);
    h.start();
    const qint64 mark = h.engine->run().startMark;
    h.engine->StartRun(); // a second start while running does nothing
    h.advance(200);
    QCOMPARE(h.engine->run().startMark, mark);
    QCOMPARE(h.engine->status(), RunStatus::Running);
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
    StageSettings stage = stageOf(QTime(0, 1, 0), QStringLiteral("101"));
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
        if (h.engine->run().phase != last && h.engine->run().phase >= 1 && h.engine->run().phase <= 4)
            phases << h.engine->run().phase;
        last = h.engine->run().phase;
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
    // The machine stalls for 3 s across the first alarm point (50 s left).
    h.engine->timers().timer1.stop();
    h.advance(8000);
    h.engine->timers().timer1.start();
    h.advance(985 * 3);
    QCOMPARE(h.engine->run().phase, 1);
    QCOMPARE(h.sound.log.count("play Timeout.wav"), 1);
}

void TestRunEngine::pauseAndContinue()
{
    EngineHarness h(stageOf(QTime(0, 5, 0), QStringLiteral("200")));
    h.start();
    h.advance(30'400); // 04:30 left
    QCOMPARE(h.screen.clockTexts.last(), QStringLiteral("00:04:30"));
    h.engine->PauseRun();
    QCOMPARE(h.engine->run().accumulatedMs[1], 30'400); // banked up to the moment of the pause
    h.advance(10'000);
    QCOMPARE(h.screen.clockTexts.last(), QStringLiteral("00:04:30"));
    h.engine->PauseRun();
    QCOMPARE(h.screen.clockTexts.last(), QStringLiteral("00:04:30"));
    h.advance(985);
    QCOMPARE(h.engine->run().elapsedMs[1], 30'400 + 985); // the pause is not counted
    QCOMPARE(h.screen.clockTexts.last(), QStringLiteral("00:04:29"));
    QCOMPARE(h.engine->run().accumulatedMs[3], 10'000);
}

void TestRunEngine::stopWhilePausedClosesThePause()
{
    EngineHarness h(stageOf(QTime(0, 5, 0), QStringLiteral("200")));
    h.start();
    h.advance(10'000);
    h.engine->PauseRun();
    h.advance(7'000);
    h.engine->StopRun();
    QCOMPARE(h.engine->status(), RunStatus::Cleared);
    QVERIFY(h.engine->timers().timer1.isActive()); // its next tick closes the run
    h.advance(1'000);
    QVERIFY(!h.engine->timers().timer1.isActive());
    const QList<QStringList> rows = h.records_();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].mid(0, 4), (QStringList{"00:05:00", "00:00:10", "00:00:00", "00:00:07"}));
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
    h.advance(985);
    h.advance(5'000);
    const QList<QStringList> rows = h.records_();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].mid(0, 4), (QStringList{"00:05:00", "00:03:20", "00:00:00", "00:00:10"}));
    QCOMPARE(rows[0][4], QStringLiteral("2026-03-02 09:03:30"));
    // Nothing played or changed colour while the stopped run closed.
    QVERIFY(!h.sound.log.contains("play Stop.wav"));
}

void TestRunEngine::overtimeCountsUpToLimit()
{
    StageSettings stage = stageOf(QTime(0, 0, 30), QStringLiteral("200"));
    stage.Time_five = QTime(0, 0, 10);
    EngineHarness h(stage);
    h.start();
    h.advance(30'400);
    QVERIFY(h.engine->timers().timer4.isActive());
    QCOMPARE(h.engine->run().phase, int(AlertPhase::Five));
    QCOMPARE(h.screen.clockTexts.last(), QStringLiteral("00:00:00"));
    h.screen.clockTexts.clear();
    h.advance(8'000);
    QStringList shown = h.screen.clockTexts;
    shown.removeDuplicates();
    QCOMPARE(shown.first(), QStringLiteral("00:00:00"));
    QCOMPARE(shown.mid(1, 3), (QStringList{"00:00:01", "00:00:02", "00:00:03"}));
    QCOMPARE(h.engine->status(), RunStatus::Running);
    h.advance(3'000);
    QCOMPARE(h.engine->status(), RunStatus::Cleared);
    QCOMPARE(h.engine->run().phase, int(AlertPhase::End));
    QCOMPARE(h.screen.clockTexts.last(), QStringLiteral("00:00:10"));
    QCOMPARE(h.screen.endTexts, QStringList{"时间到"});
    QVERIFY(!h.screen.promptVisible);
    QVERIFY(!h.engine->timers().timer4.isActive());
    const QList<QStringList> rows = h.records_();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0][2], QStringLiteral("00:00:10"));
    QVERIFY(h.sound.log.contains("play Stop.wav"));
}

void TestRunEngine::overtimeLimitSurvivesLateTick()
{
    StageSettings stage = stageOf(QTime(0, 0, 5), QStringLiteral("200"));
    stage.Time_five = QTime(0, 0, 3);
    EngineHarness h(stage);
    h.start();
    h.advance(6'000);
    QVERIFY(h.engine->timers().timer4.isActive());
    h.engine->timers().timer4.stop(); // a stall across the limit
    h.advance(5'000);
    h.engine->timers().timer4.start();
    h.advance(1'000);
    QCOMPARE(h.engine->status(), RunStatus::Cleared);
    QCOMPARE(h.records_().size(), 1);
}

void TestRunEngine::overtimeClockShowsOvertime()
{
    StageSettings stage = stageOf(QTime(0, 0, 5), QStringLiteral("200"));
    stage.checkfour = QStringLiteral("1000");
    stage.Time_five = QTime(0, 1, 0);
    EngineHarness h(stage);
    h.start();
    h.advance(9'000);
    QCOMPARE(h.screen.shownClock, QStringLiteral("00:00:00"));
    QVERIFY(h.screen.overtimeVisible);
    QCOMPARE(h.screen.overtimeTexts.last(), QStringLiteral("00:00:03"));
    // A stop during overtime banks it at the next overtime tick.
    h.engine->StopRun();
    h.advance(1'000);
    QCOMPARE(h.records_().value(0).value(2), QStringLiteral("00:00:04"));
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
    h.advance(10'400);
    QCOMPARE(h.records_().size(), 1);
    if (delayed) {
        QCOMPARE(h.engine->status(), RunStatus::Cleared);
        h.advance(5'500);
        QCOMPARE(h.screen.restartDelays.mid(0, 6), (QList<int>{5, 4, 3, 2, 1, 0}));
    }
    h.advance(1'100);
    QCOMPARE(h.engine->status(), RunStatus::Idle);
    QCOMPARE(h.screen.shownClock, QStringLiteral("00:10"));
    QVERIFY(!h.engine->timers().timer1.isActive());
    QCOMPARE(h.screen.restartDelays.last(), 0);
}

void TestRunEngine::acrossMidnight_data()
{
    QTest::addColumn<int>("source");
    QTest::newRow("seconds since midnight") << 1;
    QTest::newRow("time of day") << 2;
}

void TestRunEngine::acrossMidnight()
{
    QFETCH(int, source);
    EngineHarness h(stageOf(QTime(0, 2, 0), QStringLiteral("200")), source,
                    QDateTime(QDate(2026, 3, 2), QTime(23, 59, 30)));
    h.start();
    for (int i = 0; i < 100; ++i) {
        h.advance(985);
        QVERIFY2(h.engine->run().elapsedMs[1] >= 0 && h.engine->run().elapsedMs[1] < 120'000,
                 qPrintable(QString::number(h.engine->run().elapsedMs[1])));
    }
    QCOMPARE(h.screen.clockTexts.last(), QStringLiteral("00:00:22"));
}

void TestRunEngine::wallClockJumpOnTickCount()
{
    EngineHarness h(stageOf(QTime(0, 2, 0), QStringLiteral("200")));
    h.start();
    h.advance(20'400);
    QCOMPARE(h.screen.clockTexts.last(), QStringLiteral("00:01:40"));
    h.time.setWallClock(h.time.now().addSecs(-3600));
    h.advance(985);
    QCOMPARE(h.screen.clockTexts.last(), QStringLiteral("00:01:39"));
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
    h.advance(10'500); // alarm 1 at 50 s left starts the flash
    QCOMPARE(h.engine->run().phase, 1);
    h.advance(5'000);
    QCOMPARE(h.screen.clockHides, tixingtime);
    QVERIFY(h.screen.clockVisible);
    QVERIFY(!h.engine->timers().timer3.isActive());
}

void TestRunEngine::continuousFinalSecondsLoops()
{
    StageSettings stage = stageOf(QTime(0, 0, 30), QStringLiteral("101"));
    EngineHarness h(stage);
    h.start();
    h.advance(11'000); // 20 s left: final seconds
    QCOMPARE(h.engine->run().phase, 4);
    QCOMPARE(h.sound.log.last(), QStringLiteral("loop Timeout.wav"));
    QCOMPARE(h.engine->run().flashCount > 30, true);
    h.advance(20'000);
    QCOMPARE(h.engine->status(), RunStatus::Cleared);
    QVERIFY(h.sound.log.contains("stop Timeout.wav"));
    h.advance(6'000); // the end phase's own flash
    QVERIFY(h.screen.clockVisible);
    QVERIFY(!h.engine->timers().timer3.isActive());
}

void TestRunEngine::nextStage_data()
{
    QTest::addColumn<int>("cycle");
    QTest::addColumn<int>("fromStage");
    QTest::addColumn<int>("toStage");
    QTest::addColumn<bool>("runs");
    QTest::newRow("cycle: the next stage runs") << 1 << 0 << 1 << true;
    QTest::newRow("cycle: after the last comes the first") << 1 << 2 << 0 << true;
    QTest::newRow("no cycle: the next stage waits") << 0 << 0 << 1 << false;
}

void TestRunEngine::nextStage()
{
    QFETCH(int, cycle);
    QFETCH(int, fromStage);
    QFETCH(int, toStage);
    QFETCH(bool, runs);
    FakeStageList list;
    for (int i = 0; i < 3; ++i)
        list.stages << stageOf(QTime(0, 0, 5 + i), QStringLiteral("103"));
    EngineHarness h(list.stages[fromStage]);
    list.profilePath = h.profilePath();
    h.engine->setStageList(&list);
    h.profile().write(QStringLiteral("Marquee"), QStringLiteral("checkcycle"), QString::number(cycle));
    list.choose(fromStage);
    h.start();
    h.advance(10'000);
    QCOMPARE(list.checkedIndex(), toStage);
    QCOMPARE(h.engine->stage().Time_all, QTime(0, 0, 5 + toStage));
    QCOMPARE(h.engine->status(), runs ? RunStatus::Running : RunStatus::Idle);
    QCOMPARE(h.records_().size(), 1);
}

void TestRunEngine::stoppedNextStageRunKeepsItsStage()
{
    FakeStageList list;
    for (int i = 0; i < 3; ++i)
        list.stages << stageOf(QTime(0, 0, 20 + i), QStringLiteral("103"));
    EngineHarness h(list.stages[1]);
    list.profilePath = h.profilePath();
    h.engine->setStageList(&list);
    list.choose(1);
    h.start();
    h.advance(5'000);
    h.engine->StopRun();
    h.advance(1'000);
    h.start(); // clear
    QCOMPARE(h.engine->status(), RunStatus::Idle);
    QCOMPARE(list.checkedIndex(), 1);
    QCOMPARE(h.engine->stage().Time_all, QTime(0, 0, 21));
}

void TestRunEngine::damagedDatabaseDoesNotDisturbTheRun()
{
    EngineHarness h(stageOf(QTime(0, 0, 5), QStringLiteral("102")));
    h.sandbox.writeFile(QStringLiteral("DeskData.db"), QByteArray(4096, '\x5a'));
    h.start();
    h.advance(6'000);
    QCOMPARE(h.engine->status(), RunStatus::Idle); // reset and shown idle
    QCOMPARE(h.screen.shownClock, QStringLiteral("00:05"));
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
    QVERIFY(!h.engine->timers().timer10.isActive());
    h.engine->PauseRun();
    QVERIFY(h.engine->timers().timer10.isActive());
    h.time.advance(86'400'000 - 2'000); // a day later, two seconds before the date
    h.advance(1'000);
    QCOMPARE(h.screen.longTermClocks.last(), QStringLiteral("00:00:11"));
    QCOMPARE(h.screen.dateLines.last(), QStringLiteral("0天"));
    h.advance(12'000);
    QCOMPARE(h.engine->status(), RunStatus::Cleared);
    QCOMPARE(h.engine->run().phase, int(AlertPhase::End));
    QVERIFY(!h.engine->timers().timer10.isActive());
    const QList<QStringList> rows = h.records_();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0][0], QStringLiteral("2026-03-02 09:00:00"));
    QCOMPARE(rows[0][4], QStringLiteral("2026-03-03 09:00:10"));
}

void TestRunEngine::systemTimeShowsTheTimeOfDay()
{
    EngineHarness h(stageOf(QTime(0, 1, 0), QStringLiteral("121")));
    h.start();
    h.advance(1'400);
    QCOMPARE(h.screen.clockTexts.last(), QStringLiteral("09:00"));
}

QTEST_GUILESS_MAIN(TestRunEngine)
#include "tst_runengine.moc"
