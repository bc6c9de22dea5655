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

#include <array>

using namespace melvanta;

namespace {

StageSettings randomStage(QRandomGenerator& random, const QDateTime& now)
{
    const auto seconds = [](int s) { return QTime(0, 0).addSecs(s); };
    // `n` random switches, "0" or "1" each.
    const auto switches = [&](int n) { return QString::number(random.bounded(1 << n) | 1 << n, 2).mid(1); };
    StageSettings stage = StageSettings::defaults(now.date());
    const int total = random.bounded(10) == 0 ? 0 : random.bounded(1, 16);
    stage.Time_all = seconds(total);
    for (QTime* alarm : {&stage.Time_one, &stage.Time_two, &stage.Time_three, &stage.Time_four})
        *alarm = seconds(random.bounded(total + 2));
    stage.Time_five = seconds(random.bounded(6)); // the overtime limit
    stage.combolist = QStringLiteral("%1%2%3").arg(random.bounded(3)).arg(random.bounded(3)).arg(random.bounded(4));
    const bool longTerm = random.bounded(8) == 0;
    stage.checkone = switches(6) + (longTerm ? QLatin1Char('1') : QLatin1Char('0'));
    if (longTerm) {
        // A due date a few seconds ahead or behind, or no date at all.
        const QDateTime due = now.addSecs(random.bounded(-5, 12));
        stage.time_date = random.bounded(6) == 0 ? QDate(2000, 1, 1) : due.date();
        stage.Time_all = due.time();
    }
    stage.checkfour = switches(4);
    stage.tixingtime = qint16(random.bounded(3));
    return stage;
}

bool underWay(RunStatus status)
{
    return status == RunStatus::Running || status == RunStatus::Paused;
}

// The message of the first check that failed, or nothing.
QString firstFault(std::initializer_list<std::pair<bool, QString>> checks)
{
    for (const auto& [failed, fault] : checks) {
        if (failed)
            return fault;
    }
    return QString();
}

// One random sequence. It takes the engine's records itself and checks each
// against what it saw of the run.
class Sequence : public RecordSink
{
public:
    Sequence(quint32 seed, const QString& profilePath, RegistryStore& registry)
        : m_random(seed), m_list(m_current, profilePath)
    {
        const QTime startAt = m_random.bounded(4) == 0 ? QTime(23, 59, 50) : QTime(10, 0, 0);
        m_time.setWallClock(QDateTime(QDate(2026, 3, 2), startAt).addMSecs(m_random.bounded(1000)));
        m_source = m_random.bounded(3);
        for (int i = 0; i < 3; ++i)
            m_list.stages << randomStage(m_random, m_time.now());
        m_current.replace(m_list.stages[0]);
        m_list.checked = 0;
        ProfileFile profile(profilePath);
        profile.write(QStringLiteral("pictureset"), QStringLiteral("Delaytime"), QString::number(m_random.bounded(4)));
        profile.write(QStringLiteral("Marquee"), QStringLiteral("checkcycle"), QString::number(m_random.bounded(2)));
        profile.deletePart(QStringLiteral("Marquee"), QStringLiteral("currentrow"));
        m_engine = std::make_unique<RunEngine>(m_time, m_current, m_screen, m_sound, *this, registry, profilePath);
        m_engine->setStageList(&m_list);
        m_engine->load(m_source);
        QObject::connect(m_engine.get(), &RunEngine::statusChanged, [this](RunStatus status) {
            m_pauses += status == RunStatus::Paused;
            if (status == RunStatus::Running && !underWay(m_status)) { // a run begins
                ++m_runs;
                m_runStart = m_time.tickCount();
                m_pausedMs = m_pauses = 0;
                m_stepsAtStart = m_clockSteps;
            }
            m_status = status;
        });
        log << QStringLiteral("source %1").arg(m_source);
    }

    // One random step; returns what went wrong, or nothing.
    QString step()
    {
        const int choice = m_random.bounded(100);
        if (choice < 14)
            command("start", &RunEngine::StartRun);
        else if (choice < 24)
            command("pause", &RunEngine::PauseRun);
        else if (choice < 31)
            command("stop", &RunEngine::StopRun);
        else if (choice < 34)
            command("clear", &RunEngine::ClearRun);
        else if (choice < 37)
            command("reload", &RunEngine::reloadStage);
        else if (choice < 40)
            command("choose", &RunEngine::stageChosen, m_random.bounded(m_list.count()));
        else if (choice < 46 && m_source != 0) {
            const qint64 by = std::array<qint64, 6>{
                3'600'000, -3'600'000, 300'000, -300'000, -2'000, 86'000'000}[m_random.bounded(6)];
            log << QStringLiteral("wall clock %1 ms").arg(by);
            m_time.setWallClock(m_time.now().addMSecs(by));
            ++m_clockSteps;
        } else {
            // Up to 2 s on, or to within a millisecond of the engine's next transition.
            TickTimer* next = nextDueTimer(*m_engine, m_time.tickCount() + 5'000);
            const qint64 ms = choice < 70 ? m_random.bounded(0, 2001)
                              : next ? qMax<qint64>(0, next->dueAt() - m_time.tickCount() + m_random.bounded(-1, 2))
                                     : 0;
            log << QStringLiteral("advance %1").arg(ms);
            m_pausedMs += m_status == RunStatus::Paused ? ms : 0; // nothing ends a pause but a command
            advanceEngine(*m_engine, m_time, ms);
        }
        return check();
    }

    QStringList log; // the steps so far
    int records = 0;

    bool WriteTimingRecord(RunState& run, const QDateTime&) override
    {
        ++records;
        if (m_fault.isEmpty())
            m_fault = checkRecord(run);
        return true;
    }

private:
    // `stage`: the stage chosen from the list first.
    void command(const char* name, void (RunEngine::*run)(), int stage = -1)
    {
        if (stage >= 0)
            m_list.choose(stage);
        log << QString::asprintf("%s at %lld (%d)", name, m_time.tickCount(), int(m_engine->status())) +
                   (stage >= 0 ? QStringLiteral(", stage %1").arg(stage) : QString());
        (m_engine.get()->*run)();
    }

    QString check()
    {
        const RunStatus status = m_engine->status();
        const bool counting = counterTimerActive(*m_engine), busy = underWay(status);
        QString negative;
        for (const auto& entry : std::as_const(m_screen.clockLog))
            negative = entry.second.contains(QLatin1Char('-')) ? entry.second : negative;
        m_screen.clockLog.clear();
        // Start clears a run that has ended; pause continues a paused one. The
        // commands of a run are there while it is under way, the others while not.
        const CommandState& c = m_screen.commands;
        const QString start = status == RunStatus::Cleared ? "清零" : "开始";
        const QString pause = status == RunStatus::Paused ? "继续" : "暂停";
        const bool captions =
            c == CommandState::forStatus(status) && c.status == status && c.startPrefix == start &&
            c.pausePrefix == pause && c.button0Caption == ' ' + start + ' ' && c.button2Caption == ' ' + pause + ' ' &&
            c.startEnabled != busy && c.button0Enabled != busy && c.stopEnabled == busy && c.button1Enabled == busy &&
            c.pauseEnabled == busy && c.button2Enabled == busy && c.exitEnabled != busy && c.lowerItemsShown != busy;
        return firstFault({{!m_fault.isEmpty(), m_fault},
                           {!captions, "the captions do not match the state"},
                           {status != RunStatus::Running && counting, "a counter runs while the run is not running"},
                           {status == RunStatus::Running && !counting, "the run is running but nothing counts"},
                           {records > m_runs || (!busy && records != m_runs),
                            QStringLiteral("%1 records for %2 runs").arg(records).arg(m_runs)},
                           {!negative.isEmpty(), "the clock showed " + negative}});
    }

    // A record as the engine hands it over, against what the sequence saw of the run.
    QString checkRecord(const RunState& run)
    {
        const qint64 runMs = m_time.tickCount() - m_runStart;
        const qint64 used = run.accumulatedMs[1];
        const qint64 overtime = qMax<qint64>(0, run.accumulatedMs[2] - kOvertimeLeadMs);
        const qint64 pause = run.accumulatedMs[3];
        // Whole seconds on the time of day; a wall-clock step within the tolerance shifts a little.
        const qint64 slack = (m_source == 2 ? 1000 * (m_pauses + 2) : 5) + 1000 * (m_clockSteps - m_stepsAtStart);
        const StageSettings& stage = m_current.get();
        const bool limited = !run.longTerm && stage.overtimeEnabled() &&
                             stage.choices().endAction == EndAction::Overtime && run.alarmSeconds[5] >= 1;
        return firstFault({{!underWay(m_engine->status()), "a record was written while the run was not under way"},
                           {used < 0 || pause < 0, "a negative total in the record"},
                           {used + overtime + pause > runMs + slack,
                            QString::asprintf("used %lld + overtime %lld + pause %lld > %lld ms of the run", used,
                                              overtime, pause, runMs)},
                           {m_source == 0 ? pause != m_pausedMs : qAbs(pause - m_pausedMs) > slack,
                            QString::asprintf("pause %lld ms recorded, %lld ms paused", pause, m_pausedMs)},
                           {limited && run.accumulatedMs[2] > qint64(run.alarmSeconds[5]) * 1000,
                            QString::asprintf("overtime %lld ms beyond its limit", run.accumulatedMs[2])}});
    }

    QRandomGenerator m_random;
    FakeTimeSource m_time;
    CurrentStage m_current;
    RecordingScreen m_screen{m_time};
    RecordingSound m_sound;
    FakeStageList m_list;
    std::unique_ptr<RunEngine> m_engine;
    QString m_fault; // the first fault a record showed
    RunStatus m_status = RunStatus::Idle;
    qint64 m_runStart = 0, m_pausedMs = 0;
    int m_source = 0, m_runs = 0, m_pauses = 0, m_clockSteps = 0, m_stepsAtStart = 0;
};

} // namespace

class TestRunRandom : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void randomSequences()
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
                if (const QString fault = sequence.step(); !fault.isEmpty())
                    QFAIL(qPrintable(QString::asprintf("seed %u, step %d: ", seed, i) + fault + "\n  " +
                                     sequence.log.join("\n  ")));
            }
            records += sequence.records;
        }
        // The sequences reached the ends of runs, not only their starts.
        QVERIFY2(records > int(count), qPrintable(QString::number(records)));
    }
};

QTEST_GUILESS_MAIN(TestRunRandom)
#include "tst_runrandom.moc"
