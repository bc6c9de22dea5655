#include "app/RemoteRunControl.h"

#include "display/ClockFace.h"
#include "display/ClockWindow.h"
#include "display/MenuHost.h"
#include "timing/RunEngine.h"
#include "timing/StageList.h"

#include <QAction>
#include <QDateTime>
#include <QLabel>

namespace melvanta {

namespace {

QString captionState(const QAction* item)
{
    return item ? item->text().trimmed().left(2) : QString();
}

} // namespace

RemoteRunControl::RemoteRunControl(RunEngine& engine, MenuHost& menu, StageList& stages, ClockWindow& window,
                                   std::function<void(int)> chooseStage)
    : m_engine(engine), m_menu(menu), m_stages(stages), m_window(window), m_chooseStage(std::move(chooseStage))
{}

RemoteSnapshot RemoteRunControl::snapshot() const
{
    using Status = RemoteSnapshot::Status;
    RemoteSnapshot s;
    const RunState& run = m_engine.run();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const bool overtime = run.activeCounter == 1;
    switch (m_engine.status()) {
    case RunStatus::Running:
        s.status = overtime ? Status::Overtime : Status::Running;
        break;
    case RunStatus::Paused:
        s.status = Status::Paused;
        break;
    case RunStatus::Cleared:
        s.status = Status::Stopped;
        break;
    case RunStatus::Idle:
        s.status = Status::Idle;
        break;
    }
    for (int i = 0; i < m_stages.count(); ++i)
        s.stages << m_stages.name(i);
    s.stageIndex = m_stages.checkedIndex();
    s.stageName = s.stageIndex >= 0 ? m_stages.name(s.stageIndex) : QString();
    if (s.stageIndex >= 0 && s.stageIndex + 1 < m_stages.count()) {
        s.nextIndex = s.stageIndex + 1;
        s.nextName = m_stages.name(s.nextIndex);
    }
    s.phase = run.phase >= 0 && run.phase < 7 ? run.phase : -1;
    s.text = m_window.clockText();
    s.prompt = m_window.textLine(3)->text();
    s.title = m_window.textLine(0)->text();
    s.subtitle = m_window.textLine(1)->text();
    s.clockColour = m_window.clockFace()->textColour().name();
    s.backgroundColour = m_window.backgroundColour().name();
    s.flashing = run.flashCount > 0 && m_engine.status() == RunStatus::Running;
    s.countsDown = !run.longTerm && !overtime;
    s.durationMs = qint64(run.totalSeconds) * 1000;
    const bool underWay = m_engine.status() == RunStatus::Running || m_engine.status() == RunStatus::Paused;
    s.elapsedMs = underWay || m_engine.status() == RunStatus::Cleared ? m_engine.liveElapsedMs() : 0;
    s.overtimeMs = run.elapsedMs[2];
    // The whole seconds of the remaining time are the seconds the clock
    // shows: it shows the time left rounded up.
    s.remainingMs =
        overtime ? 0 : qMax<qint64>(0, s.durationMs + RunState::kShownSecondLeadMs - (underWay ? s.elapsedMs : 0));
    if (m_engine.status() == RunStatus::Running && !overtime && !run.longTerm)
        s.endsAt = now + s.remainingMs;
    s.serverNow = now;
    s.message = m_message;
    s.messageFlashes = m_messageFlashes;
    s.messageOnScreen = m_messageOnScreen;
    s.startCaption = captionState(m_menu.commandItem(MenuHost::Start));
    s.pauseCaption = captionState(m_menu.commandItem(MenuHost::Pause));
    return s;
}

QString RemoteRunControl::execute(const RemoteCommand& command)
{
    using Kind = RemoteCommand::Kind;
    const RunStatus status = m_engine.status();
    const bool underWay = status == RunStatus::Running || status == RunStatus::Paused;
    switch (command.kind) {
    case Kind::Start:
        if (underWay)
            return QStringLiteral("计时已在进行");
        start();
        return QString();
    case Kind::Stop:
        if (!underWay)
            return QStringLiteral("没有进行中的计时");
        m_engine.StopRun();
        return QString();
    case Kind::Toggle:
        if (underWay)
            m_engine.StopRun();
        else
            start();
        return QString();
    case Kind::Pause:
        if (status != RunStatus::Running)
            return QStringLiteral("没有进行中的计时");
        m_engine.PauseRun();
        return QString();
    case Kind::Resume:
        if (status != RunStatus::Paused)
            return QStringLiteral("计时没有暂停");
        m_engine.PauseRun();
        return QString();
    case Kind::Clear:
        if (underWay)
            m_engine.ClearRun();
        // A closed run goes back to its stage, as "清零" does.
        if (m_engine.status() == RunStatus::Cleared)
            m_engine.StartRun();
        return QString();
    case Kind::Next:
        return chooseRelative(1);
    case Kind::Previous:
        return chooseRelative(-1);
    case Kind::Load:
        if (command.number < 1 || command.number > m_stages.count())
            return QStringLiteral("没有第 %1 个阶段").arg(command.number);
        m_chooseStage(command.number - 1);
        return QString();
    case Kind::AddTime:
        return m_engine.addTime(command.number) ? QString() : QStringLiteral("只有进行中的倒计时能加减时间");
    case Kind::Message:
        showMessage(command);
        return QString();
    case Kind::HideMessage:
        m_window.setOperatorMessage(QString());
        m_message.clear();
        m_messageFlashes = m_messageOnScreen = false;
        return QString();
    }
    return QStringLiteral("unknown command");
}

bool RemoteRunControl::isSettling() const
{
    return m_engine.timers().timer5.isActive();
}

void RemoteRunControl::start()
{
    // A closed run is cleared first, as the start key's "清零" does; the
    // start then begins the stage.
    if (m_engine.status() == RunStatus::Cleared)
        m_engine.StartRun();
    m_engine.StartRun();
}

QString RemoteRunControl::chooseRelative(int step)
{
    const int count = m_stages.count();
    if (count == 0)
        return QStringLiteral("没有保存的阶段");
    const int checked = m_stages.checkedIndex();
    const int target = checked < 0 ? (step > 0 ? 0 : count - 1) : checked + step;
    if (target < 0 || target >= count)
        return step > 0 ? QStringLiteral("已是最后一个阶段") : QStringLiteral("已是第一个阶段");
    m_chooseStage(target);
    return QString();
}

void RemoteRunControl::showMessage(const RemoteCommand& command)
{
    m_message = command.text;
    m_messageFlashes = command.flash;
    m_messageOnScreen = command.onScreen && !command.text.isEmpty();
    m_window.setOperatorMessage(m_messageOnScreen ? command.text : QString());
}

} // namespace melvanta
