// Thousands of seeded random sequences of commands and time steps over random
// stages, checking after every step what an operator must be able to trust:
// one record per run, none while idle, records that add up, no counter
// counting while idle or paused, a counter counting while running, captions
// that match the state. A failure prints its seed and the steps that led to it;
// MELVANTA_RANDOM_SEED=<seed> replays that one sequence.
#include "EngineHarness.h"
#include "timing/ElapsedTime.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace melvanta;

namespace {

// Takes the engine's records as they come, with the state the run was in.
class RecordingSink : public RecordSink
{
public:
    // What the test itself saw of the run when its record came.
    struct Seen
    {
        RunStatus status = RunStatus::Idle;
        qint64 runMs = 0;    // since the run began
        qint64 pausedMs = 0; // paused in it, a pause still open included
        int pauses = 0;
        int clockSteps = 0;
    };
    struct Record
    {
        RunState state;
        Seen seen;
    };
    std::function<Seen()> seen;
    QList<Record> records;
    bool WriteTimingRecord(RunState& state, const QDateTime&) override
    {
        records.append({state, seen()});
        return true;
    }
};

QTime secondsTime(int seconds)
{
    return QTime(0, 0, 0).addSecs(seconds);
}

StageSettings randomStage(QRandomGenerator& random, const QDateTime& now)
{
    StageSettings stage = StageSettings::defaults(now.date());
    const int total = random.bounded(10) == 0 ? 0 : random.bounded(1, 16);
    stage.Time_all = secondsTime(total);
    for (QTime* alarm : {&stage.Time_one, &stage.Time_two, &stage.Time_three, &stage.Time_four})
        *alarm = secondsTime(random.bounded(total + 2));
    stage.Time_five = secondsTime(random.bounded(6)); // the overtime limit
    stage.combolist = QStringLiteral("%1%2%3").arg(random.bounded(3)).arg(random.bounded(3)).arg(random.bounded(4));
    QString checkone;
    for (int i = 0; i < 6; ++i)
        checkone += random.bounded(2) ? QLatin1Char('1') : QLatin1Char('0');
    const bool longTerm = random.bounded(8) == 0;
    stage.checkone = checkone + (longTerm ? QLatin1Char('1') : QLatin1Char('0'));
    if (longTerm) {
        // A due date a few seconds ahead or behind, or no date at all.
        const QDateTime due = now.addSecs(random.bounded(-5, 12));
        stage.time_date = random.bounded(6) == 0 ? QDate(2000, 1, 1) : due.date();
        stage.Time_all = due.time();
    }
    stage.checkfour = QStringLiteral("%1%2%3%4")
                          .arg(random.bounded(2))
                          .arg(random.bounded(2))
                          .arg(random.bounded(2))
                          .arg(random.bounded(2));
    stage.tixingtime = qint16(random.bounded(3));
    return stage;
}

class Sequence
{
public:
    Sequence(quint32 seed, const QString& profilePath, RegistryStore& registry)
        : m_random(seed), m_profilePath(profilePath)
    {
        const QTime startAt = m_random.bounded(4) == 0 ? QTime(23, 59, 50) : QTime(10, 0, 0);
        m_time.setWallClock(QDateTime(QDate(2026, 3, 2), startAt).addMSecs(m_random.bounded(1000)));
        m_source = m_random.bounded(3);
        for (int i = 0; i < 3; ++i)
            m_list.stages << randomStage(m_random, m_time.now());
        m_current.replace(m_list.stages[0]);
        ProfileFile profile(profilePath);
        profile.write(QStringLiteral("pictureset"), QStringLiteral("Delaytime"), QString::number(m_random.bounded(4)));
        profile.write(QStringLiteral("Marquee"), QStringLiteral("checkcycle"), QString::number(m_random.bounded(2)));
        profile.deletePart(QStringLiteral("Marquee"), QStringLiteral("currentrow"));
        m_engine = std::make_unique<RunEngine>(m_time, m_current, m_screen, m_sound, m_sink, registry, profilePath);
        m_sink.seen = [this] {
            RecordingSink::Seen seen;
            seen.status = m_engine->status();
            seen.runMs = m_time.tickCount() - m_runStart;
            const bool paused = seen.status == RunStatus::Paused;
            seen.pausedMs = m_pausedTotal + (paused ? m_time.tickCount() - m_pauseStart : 0);
            seen.pauses = m_pauses + (paused ? 1 : 0);
            seen.clockSteps = m_clockSteps - m_stepsAtStart;
            return seen;
        };
        m_list.profilePath = profilePath;
        m_list.current = &m_current;
        m_engine->setStageList(&m_list);
        m_list.checked = 0;
        m_engine->load(m_source);
        QObject::connect(m_engine.get(), &RunEngine::statusChanged, [this](RunStatus status) { noteStatus(status); });
        m_log << QStringLiteral("source %1").arg(m_source);
    }

    // One random step; returns what went wrong, or nothing.
    QString step()
    {
        const int choice = m_random.bounded(100);
        if (choice < 14)
            command(QStringLiteral("start"), [this] { m_engine->StartRun(); });
        else if (choice < 24)
            command(QStringLiteral("pause"), [this] { m_engine->PauseRun(); });
        else if (choice < 31)
            command(QStringLiteral("stop"), [this] { m_engine->StopRun(); });
        else if (choice < 34)
            command(QStringLiteral("clear"), [this] { m_engine->ClearRun(); });
        else if (choice < 37)
            command(QStringLiteral("reload"), [this] { m_engine->reloadStage(); });
        else if (choice < 40) {
            const int index = m_random.bounded(m_list.count());
            command(QStringLiteral("choose %1").arg(index), [this, index] {
                m_list.choose(index);
                m_engine->stageChosen();
            });
        } else if (choice < 46 && m_source != 0) {
            static const qint64 steps[] = {3'600'000, -3'600'000, 300'000, -300'000, -2'000, 86'000'000};
            const qint64 by = steps[m_random.bounded(int(std::size(steps)))];
            m_log << QStringLiteral("wall clock %1 ms").arg(by);
            m_time.setWallClock(m_time.now().addMSecs(by));
            ++m_clockSteps;
        } else if (choice < 70) {
            advanceTo(m_random.bounded(0, 2001));
        } else {
            // Land within a millisecond of the next transition of the engine.
            TickTimer* next = nextDueTimer(*m_engine, m_time.tickCount() + 5'000);
            const qint64 to = next ? next->dueAt() - m_time.tickCount() + m_random.bounded(-1, 2) : 0;
            advanceTo(qMax<qint64>(0, to));
        }
        return check();
    }

    QString log() const { return m_log.join(QStringLiteral("\n  ")); }
    int records() const { return int(m_sink.records.size()); }

private:
    void command(const QString& name, const std::function<void()>& run)
    {
        m_log << QStringLiteral("%1 at %2 (%3)").arg(name).arg(m_time.tickCount()).arg(int(m_engine->status()));
        run();
    }

    void advanceTo(qint64 ms)
    {
        m_log << QStringLiteral("advance %1").arg(ms);
        advanceEngine(*m_engine, m_time, ms);
    }

    void noteStatus(RunStatus status)
    {
        const bool underWay = status == RunStatus::Running || status == RunStatus::Paused;
        if (status == RunStatus::Running && !m_wasUnderWay) {
            ++m_runsStarted;
            m_runStart = m_time.tickCount();
            m_pausedTotal = 0;
            m_pauses = 0;
            m_stepsAtStart = m_clockSteps;
        }
        if (status == RunStatus::Paused)
            m_pauseStart = m_time.tickCount();
        if (status == RunStatus::Running && m_lastStatus == RunStatus::Paused) {
            m_pausedTotal += m_time.tickCount() - m_pauseStart;
            ++m_pauses;
        }
        if (!underWay && m_lastStatus == RunStatus::Paused) {
            m_pausedTotal += m_time.tickCount() - m_pauseStart;
            ++m_pauses;
        }
        m_wasUnderWay = underWay;
        m_lastStatus = status;
    }

    QString check()
    {
        const RunStatus status = m_engine->status();
        const bool underWay = status == RunStatus::Running || status == RunStatus::Paused;
        RunTimers& t = m_engine->timers();
        const bool counting = t.timer1.isActive() || t.timer4.isActive() || t.timer10.isActive();
        if (!(m_screen.commands == CommandState::forStatus(status)))
            return QStringLiteral("the captions do not match the state");
        if (status != RunStatus::Running && counting)
            return QStringLiteral("a counter runs while the run is not running");
        if (status == RunStatus::Running && !counting)
            return QStringLiteral("the run is running but nothing counts");
        if (m_sink.records.size() > m_runsStarted)
            return QStringLiteral("%1 records for %2 runs").arg(m_sink.records.size()).arg(m_runsStarted);
        if (!underWay && m_sink.records.size() != m_runsStarted)
            return QStringLiteral("a finished run left no record (%1 for %2 runs)")
                .arg(m_sink.records.size())
                .arg(m_runsStarted);
        for (const QString& text : m_screen.clockTexts) {
            if (text.contains(QLatin1Char('-')))
                return QStringLiteral("the clock showed ") + text;
        }
        m_screen.clockTexts.clear();
        while (m_checkedRecords < m_sink.records.size()) {
            const QString fault = checkRecord(m_sink.records.at(m_checkedRecords++));
            if (!fault.isEmpty())
                return fault;
        }
        return QString();
    }

    QString checkRecord(const RecordingSink::Record& record)
    {
        const RecordingSink::Seen& seen = record.seen;
        if (seen.status != RunStatus::Running && seen.status != RunStatus::Paused)
            return QStringLiteral("a record was written while the run was not under way");
        const RunState& run = record.state;
        const qint64 used = run.accumulatedMs[1];
        const qint64 overtime = qMax<qint64>(0, run.accumulatedMs[2] - kOvertimeLeadMs);
        const qint64 paused = run.accumulatedMs[3];
        // Whole seconds on the time of day; a wall-clock step within the tolerance shifts a little.
        const qint64 slack = (m_source == 2 ? 1000 * (seen.pauses + 2) : 5) + 1000 * seen.clockSteps;
        if (used < 0 || overtime < 0 || paused < 0)
            return QStringLiteral("a negative total in the record");
        if (used + overtime + paused > seen.runMs + slack)
            return QStringLiteral("used %1 + overtime %2 + pause %3 > %4 ms of the run")
                .arg(used)
                .arg(overtime)
                .arg(paused)
                .arg(seen.runMs);
        if (m_source == 0 && paused != seen.pausedMs)
            return QStringLiteral("pause %1 ms recorded, %2 ms paused").arg(paused).arg(seen.pausedMs);
        if (m_source != 0 && qAbs(paused - seen.pausedMs) > slack)
            return QStringLiteral("pause %1 ms recorded, %2 ms paused").arg(paused).arg(seen.pausedMs);
        const StageSettings& stage = m_current.get();
        if (!run.longTerm && stage.overtimeEnabled() && stage.choices().endAction == EndAction::Overtime &&
            run.alarmSeconds[5] >= 1 && run.accumulatedMs[2] > qint64(run.alarmSeconds[5]) * 1000)
            return QStringLiteral("overtime %1 ms beyond its limit").arg(run.accumulatedMs[2]);
        return QString();
    }

    QRandomGenerator m_random;
    QString m_profilePath;
    FakeTimeSource m_time;
    CurrentStage m_current;
    RecordingScreen m_screen;
    RecordingSound m_sound;
    RecordingSink m_sink;
    FakeStageList m_list;
    std::unique_ptr<RunEngine> m_engine;
    int m_source = 0;
    QStringList m_log;
    int m_runsStarted = 0;
    int m_checkedRecords = 0;
    bool m_wasUnderWay = false;
    RunStatus m_lastStatus = RunStatus::Idle;
    qint64 m_runStart = 0;
    qint64 m_pauseStart = 0;
    qint64 m_pausedTotal = 0;
    int m_pauses = 0;
    int m_clockSteps = 0;
    int m_stepsAtStart = 0;
};

} // namespace

class TestRunRandom : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void randomSequences();
};

void TestRunRandom::randomSequences()
{
    // The sequences write the profile file tens of thousands of times: in
    // memory, where a busy disk cannot slow them.
    const bool inMemory = QFileInfo(QStringLiteral("/dev/shm")).isWritable();
    TestSandbox sandbox(inMemory ? QStringLiteral("/dev/shm") : QString());
    sandbox.installDataFiles();
    RegistryStore registry;
    const QString profilePath = sandbox.filePath(QStringLiteral("TimeData.db"));
    const QByteArray only = qgetenv("MELVANTA_RANDOM_SEED");
    const quint32 first = only.isEmpty() ? 1 : only.toUInt();
    const quint32 count = only.isEmpty() ? 10'000 : 1;
    int records = 0;
    for (quint32 seed = first; seed < first + count; ++seed) {
        Sequence sequence(seed, profilePath, registry);
        for (int i = 0; i < 30; ++i) {
            const QString fault = sequence.step();
            if (!fault.isEmpty())
                QFAIL(qPrintable(
                    QStringLiteral("seed %1, step %2: %3\n  %4").arg(seed).arg(i).arg(fault, sequence.log())));
        }
        records += sequence.records();
    }
    // The sequences reached the ends of runs, not only their starts.
    QVERIFY2(records > int(count), qPrintable(QString::number(records)));
}

QTEST_GUILESS_MAIN(TestRunRandom)
#include "tst_runrandom.moc"
