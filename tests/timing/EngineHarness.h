#pragma once

#include "TestSupport.h"
#include "core/CurrentStage.h"
#include "core/ProgramFolder.h"
#include "storage/ProfileFile.h"
#include "storage/RegistryStore.h"
#include "storage/StageSettingsStore.h"
#include "timing/ClockScreen.h"
#include "timing/RunEngine.h"
#include "timing/SoundOutput.h"
#include "timing/StageList.h"
#include "timing/TimeSource.h"
#include "timing/TimingRecordWriter.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QUuid>

#include <array>
#include <functional>
#include <memory>

// A clock that only moves when the test says so. The tick count and the
// wall clock move together, unless the wall clock is set on its own.
class FakeTimeSource : public melvanta::TimeSource
{
public:
    explicit FakeTimeSource(QDateTime wallClock = QDateTime(QDate(2026, 3, 2), QTime(9, 0, 0)))
        : m_wall(std::move(wallClock))
    {}
    qint64 tickCount() const override { return m_tick; }
    QDateTime now() const override { return m_wall; }

    void advance(qint64 ms)
    {
        m_tick += ms;
        m_wall = m_wall.addMSecs(ms);
    }
    void setWallClock(const QDateTime& wall) { m_wall = wall; }

private:
    qint64 m_tick = 1'000'000;
    QDateTime m_wall;
};

// Records what the engine asks of the screen.
class RecordingScreen : public melvanta::ClockScreen
{
public:
    QStringList clockTexts;
    QStringList overtimeTexts;
    QStringList promptTexts;
    QStringList endTexts;
    QList<int> phaseLooks;
    QList<int> restartDelays;
    QStringList dateLines;
    QStringList longTermClocks;
    melvanta::CommandState commands = melvanta::CommandState::forStatus(melvanta::RunStatus::Idle);
    bool clockVisible = true;
    bool overtimeVisible = false;
    bool promptVisible = true;
    bool marqueeRunning = false;
    // Every text the clocks showed, with the tick count at which it came.
    QList<std::pair<qint64, QString>> clockLog;
    const melvanta::TimeSource* clock = nullptr;
    int refreshes = 0;
    int clockHides = 0;
    QString shownClock; // what the main clock shows now

    void showClockText(const QString& text) override
    {
        clockTexts << text;
        shownClock = text;
        log(text);
    }
    void showOvertimeText(const QString& text) override
    {
        overtimeTexts << text;
        overtimeVisible = true;
        log(text);
    }
    void log(const QString& text)
    {
        if (clock && (clockLog.isEmpty() || clockLog.last().second != text))
            clockLog.append({clock->tickCount(), text});
    }
    void showEndText(const QString& text) override
    {
        endTexts << text;
        shownClock = text;
    }
    void setPromptText(const QString& text) override { promptTexts << text; }
    void setPromptVisible(bool visible) override { promptVisible = visible; }
    void setDateLine(const QString& text) override { dateLines << text; }
    void showRestartDelay(int seconds) override { restartDelays << seconds; }
    void applyPhaseLook(int phase) override { phaseLooks << phase; }
    void setClockVisible(bool visible) override
    {
        if (clockVisible && !visible)
            ++clockHides;
        clockVisible = visible;
    }
    bool isClockVisible() const override { return clockVisible; }
    void setOvertimeClockVisible(bool visible) override { overtimeVisible = visible; }
    bool isOvertimeClockVisible() const override { return overtimeVisible; }
    void refreshStage(const QString& initialClockText) override
    {
        ++refreshes;
        overtimeVisible = false;
        promptVisible = true;
        if (!initialClockText.isEmpty())
            shownClock = initialClockText;
    }
    void showLongTerm(const QString& dateLine, const QString& clockText) override
    {
        dateLines << dateLine;
        longTermClocks << clockText;
        log(clockText);
    }
    void setMarqueeRunning(bool running) override { marqueeRunning = running; }
    void setCommandState(const melvanta::CommandState& state) override { commands = state; }
    void endAdjusting() override {}
};

// Records the sound commands by file name.
class RecordingSound : public melvanta::SoundOutput
{
public:
    QStringList log;
    void PlaySoundFile(const QString& path) override { log << "play " + QFileInfo(path).fileName(); }
    void StopSoundFile(const QString& path) override { log << "stop " + QFileInfo(path).fileName(); }
    void LoopSoundFile(const QString& path) override { log << "loop " + QFileInfo(path).fileName(); }
};

// Stored stages as the stage submenu would offer them: choosing one makes
// it the current stage and remembers its position.
class FakeStageList : public melvanta::StageList
{
public:
    QList<melvanta::StageSettings> stages;
    int checked = -1;
    QString profilePath;
    melvanta::CurrentStage* current = nullptr;
    int count() const override { return stages.size(); }
    int checkedIndex() const override { return checked; }
    void choose(int index) override
    {
        checked = index;
        current->replace(stages.at(index));
        melvanta::ProfileFile(profilePath)
            .write(QStringLiteral("Marquee"), QStringLiteral("currentrow"), QString::number(index + 1));
    }
};

// The engine's timer that falls due first, no later than `limit`.
inline melvanta::TickTimer* nextDueTimer(melvanta::RunEngine& engine, qint64 limit)
{
    melvanta::RunTimers& t = engine.timers();
    const std::array<melvanta::TickTimer*, 8> all{&t.timer5,  &t.timer9, &t.timer1, &t.timer4,
                                                  &t.timer10, &t.timer3, &t.timer7, &t.timer11};
    melvanta::TickTimer* best = nullptr;
    for (melvanta::TickTimer* timer : all) {
        if (timer->isActive() && timer->dueAt() <= limit && (!best || timer->dueAt() < best->dueAt()))
            best = timer;
    }
    return best;
}

// Moves the fake clock on by `ms`, firing the engine's timers as the event
// loop would when they fall due, each `lateBy()` ms late when given.
inline void advanceEngine(melvanta::RunEngine& engine, FakeTimeSource& time, qint64 ms,
                          const std::function<qint64()>& lateBy = {})
{
    const qint64 target = time.tickCount() + ms;
    while (melvanta::TickTimer* next = nextDueTimer(engine, target)) {
        const qint64 late = lateBy ? lateBy() : 0;
        const qint64 at = qMin(target, qMax(time.tickCount(), next->dueAt() + late));
        time.advance(at - time.tickCount()); // an overdue timer fires now
        next->fireNow();
    }
    time.advance(target - time.tickCount());
}

// A whole engine in a sandbox: real per-user store, profile file and
// database, a fake clock, and a scheduler that fires the engine's timers
// when the fake clock reaches them.
class EngineHarness
{
public:
    explicit EngineHarness(const melvanta::StageSettings& stage, int timingSource = 0,
                           QDateTime wallClock = QDateTime(QDate(2026, 3, 2), QTime(9, 0, 0)))
        : time(std::move(wallClock)), current(stage)
    {
        sandbox.installDataFiles();
        screen.clock = &time;
        registry.setNumber(QStringLiteral("Time_Record"), 1);
        engine = std::make_unique<melvanta::RunEngine>(time, current, screen, sound, records, registry, profilePath());
        engine->load(timingSource);
    }

    // Makes `list` the engine's stored stages, with `first` chosen.
    void useStageList(FakeStageList& list, int first)
    {
        list.profilePath = profilePath();
        list.current = &current;
        engine->setStageList(&list);
        list.choose(first);
    }

    QString profilePath() const { return sandbox.filePath(QStringLiteral("TimeData.db")); }
    melvanta::ProfileFile profile() const { return melvanta::ProfileFile(profilePath()); }

    // Moves the clock on by `ms`, firing every timer that falls due on the
    // way, each `lateBy()` ms after it was due (a busy machine).
    void advance(qint64 ms) { advanceEngine(*engine, time, ms, lateBy); }
    std::function<qint64()> lateBy;

    // Presses start and lets the deferred start run.
    void start()
    {
        engine->StartRun();
        advance(100);
    }

    // The rows of `timesum` as texts, in column order.
    QList<QStringList> records_() const
    {
        records.waitUntilStored(5000);
        QList<QStringList> rows;
        const QString name = QUuid::createUuid().toString();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(sandbox.filePath(QStringLiteral("DeskData.db")));
            if (db.open()) {
                QSqlQuery q(QStringLiteral("SELECT set_time, use_time, out_time, pause_time, filename FROM timesum "
                                           "ORDER BY ID_auto"),
                            db);
                while (q.next())
                    rows << QStringList{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                        q.value(3).toString(), q.value(4).toString()};
            }
        }
        QSqlDatabase::removeDatabase(name);
        return rows;
    }

    TestSandbox sandbox;
    FakeTimeSource time;
    melvanta::CurrentStage current;
    RecordingScreen screen;
    RecordingSound sound;
    melvanta::RegistryStore registry;
    melvanta::TimingRecordWriter records{registry, sandbox.filePath(QStringLiteral("DeskData.db"))};
    std::unique_ptr<melvanta::RunEngine> engine;
};
