#pragma once

#include "TestSupport.h"
#include "storage/ProfileFile.h"
#include "storage/RegistryStore.h"
#include "timing/ClockScreen.h"
#include "timing/RecordSink.h"
#include "timing/RunEngine.h"
#include "timing/SoundOutput.h"
#include "timing/StageList.h"
#include "timing/TimeSource.h"
#include "timing/TimingRecord.h"

#include <QFileInfo>

#include <functional>
#include <memory>
#include <utility>

// A clock that only moves when the test says so. The tick count and the
// wall clock move together, unless the wall clock is set on its own.
class FakeTimeSource : public melvanta::TimeSource
{
public:
    explicit FakeTimeSource(const QDateTime& wall = {}) : m_wallAtZero(wall.addMSecs(-m_tick)) {}
    qint64 tickCount() const override { return m_tick; }
    QDateTime now() const override { return m_wallAtZero.addMSecs(m_tick); }
    void advance(qint64 ms) { m_tick += ms; }
    void setWallClock(const QDateTime& wall) { m_wallAtZero = wall.addMSecs(-m_tick); }

private:
    qint64 m_tick = 1'000'000;
    QDateTime m_wallAtZero; // the wall clock at tick count 0
};

// Records what the engine asks of the screen. The long-term display's time
// shows on the main clock.
class RecordingScreen : public melvanta::ClockScreen
{
public:
    explicit RecordingScreen(const melvanta::TimeSource& clock) : m_clock(clock) {}
    // Every new text of a clock, with the tick count at which it came.
    QList<std::pair<qint64, QString>> clockLog;
    QString shownClock, overtimeClock, dateLine;
    QStringList promptTexts, endTexts;
    QList<int> phaseLooks, restartDelays;
    melvanta::CommandState commands = melvanta::CommandState::forStatus(melvanta::RunStatus::Idle);
    bool clockVisible = true, overtimeVisible = false, promptVisible = true;
    int clockHides = 0;

    void showClockText(const QString& text) override { log(shownClock = text); }
    void showOvertimeText(const QString& text) override { log(overtimeClock = text); }
    void showEndText(const QString& text) override { endTexts << (shownClock = text); }
    void setPromptText(const QString& text) override { promptTexts << text; }
    void setPromptVisible(bool visible) override { promptVisible = visible; }
    void setDateLine(const QString&) override {}
    void showRestartDelay(int seconds) override { restartDelays << seconds; }
    void applyPhaseLook(int phase) override { phaseLooks << phase; }
    void setClockVisible(bool visible) override { clockHides += std::exchange(clockVisible, visible) && !visible; }
    bool isClockVisible() const override { return clockVisible; }
    void setOvertimeClockVisible(bool visible) override { overtimeVisible = visible; }
    bool isOvertimeClockVisible() const override { return overtimeVisible; }
    void refreshStage(const QString& text) override { shownClock = text.isEmpty() ? shownClock : text; }
    void showLongTerm(const QString& date, const QString& text) override
    {
        dateLine = date;
        showClockText(text);
    }
    void setMarqueeRunning(bool) override {}
    void setCommandState(const melvanta::CommandState& state) override { commands = state; }
    void endAdjusting() override {}

private:
    void log(const QString& text)
    {
        if (clockLog.isEmpty() || clockLog.last().second != text)
            clockLog.append({m_clock.tickCount(), text});
    }
    const melvanta::TimeSource& m_clock;
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
    FakeStageList(melvanta::CurrentStage& current, QString profilePath)
        : m_current(current), m_profilePath(std::move(profilePath))
    {}
    QList<melvanta::StageSettings> stages;
    int checked = -1;
    int count() const override { return stages.size(); }
    int checkedIndex() const override { return checked; }
    QString name(int index) const override { return QStringLiteral("阶段%1").arg(index + 1); }
    void choose(int index) override
    {
        m_current.replace(stages.at(checked = index));
        melvanta::ProfileFile(m_profilePath)
            .write(QStringLiteral("Marquee"), QStringLiteral("currentrow"), QString::number(index + 1));
    }

private:
    melvanta::CurrentStage& m_current;
    QString m_profilePath;
};

inline bool counterTimerActive(melvanta::RunEngine& engine)
{
    return engine.timers().timer1.isActive() || engine.timers().timer4.isActive() || engine.timers().timer10.isActive();
}

// The engine's timer that falls due first, no later than `limit`.
inline melvanta::TickTimer* nextDueTimer(melvanta::RunEngine& engine, qint64 limit)
{
    melvanta::RunTimers& t = engine.timers();
    melvanta::TickTimer* best = nullptr;
    for (auto* timer : {&t.timer5, &t.timer9, &t.timer1, &t.timer4, &t.timer10, &t.timer3, &t.timer7, &t.timer11})
        if (timer->isActive() && timer->dueAt() <= limit && (!best || timer->dueAt() < best->dueAt()))
            best = timer;
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
        time.advance(qMin(target, qMax(time.tickCount(), next->dueAt() + late)) - time.tickCount());
        next->fireNow(); // an overdue timer fires now
    }
    time.advance(target - time.tickCount());
}

// A whole engine in a sandbox: real per-user store and profile file, a fake
// clock, and a scheduler that fires the engine's timers when the fake clock
// reaches them.
class EngineHarness : public melvanta::RecordSink
{
public:
    explicit EngineHarness(const melvanta::StageSettings& stage, int timingSource = 0,
                           const QDateTime& wallClock = QDateTime(QDate(2026, 3, 2), QTime(9, 0, 0)))
        : time(wallClock), current(stage)
    {
        sandbox.installDataFiles();
        engine = std::make_unique<melvanta::RunEngine>(time, current, screen, sound, *this, registry, profilePath());
        engine->setStageList(&stages);
        engine->load(timingSource);
    }
    QString profilePath() const { return sandbox.filePath(QStringLiteral("TimeData.db")); }
    melvanta::ProfileFile profile() const { return melvanta::ProfileFile(profilePath()); }

    // Moves the clock on by `ms`, firing every timer that falls due on the
    // way, each `lateBy()` ms after it was due (a busy machine).
    void advance(qint64 ms) { advanceEngine(*engine, time, ms, lateBy); }
    std::function<qint64()> lateBy;
    // Moves the clock on to `ms` after the last start began counting.
    void advanceTo(qint64 ms) { advance(startedAt + ms - time.tickCount()); }
    // Presses start and lets the deferred start run.
    void start()
    {
        engine->StartRun();
        advance(100);
        startedAt = time.tickCount();
    }
    qint64 startedAt = 0;

    // The rows the records would make in `timesum` (set, used, overtime and
    // pause time, filename), taken the way the record writer takes them.
    bool WriteTimingRecord(melvanta::RunState& state, const QDateTime& now) override
    {
        const melvanta::TimingRecord r = melvanta::TimingRecord::fromRun(state, now, 1);
        state.stageLabel = r.filename;
        rows << QStringList{r.setTime, r.useTime, r.outTime, r.pauseTime, r.filename};
        return true;
    }
    QList<QStringList> rows;
    // The only row, or how many there are instead.
    QStringList record() const
    {
        return rows.size() == 1 ? rows[0] : QStringList{QString::number(rows.size()) + " rows"};
    }

    TestSandbox sandbox;
    FakeTimeSource time;
    melvanta::CurrentStage current;
    RecordingScreen screen{time};
    RecordingSound sound;
    melvanta::RegistryStore registry;
    FakeStageList stages{current, profilePath()}; // none unless a test puts some in
    std::unique_ptr<melvanta::RunEngine> engine;
};
