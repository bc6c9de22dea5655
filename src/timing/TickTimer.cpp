#include "timing/TickTimer.h"

#include "timing/TimeSource.h"

namespace melvanta {

TickTimer::TickTimer(const TimeSource& time, int intervalMs, QObject* parent) : QObject(parent), m_time(time)
{
    m_timer.setInterval(intervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &TickTimer::fireNow);
}

void TickTimer::start()
{
    m_lastStart = m_time.tickCount();
    m_timer.start();
}

void TickTimer::start(int intervalMs)
{
    m_timer.setInterval(intervalMs);
    start();
}

void TickTimer::stop()
{
    m_timer.stop();
}

void TickTimer::setInterval(int intervalMs)
{
    if (m_timer.interval() == intervalMs)
        return;
    // QTimer restarts its period on a new interval; keep the record in step.
    const bool active = m_timer.isActive();
    m_timer.setInterval(intervalMs);
    if (active)
        m_lastStart = m_time.tickCount();
}

void TickTimer::fireNow()
{
    // A late timeout does not push the next one back: the period stays on
    // its schedule unless a whole period was missed.
    const qint64 now = m_time.tickCount();
    const qint64 due = dueAt();
    m_lastStart = (due <= now && now < due + m_timer.interval()) ? due : now;
    Q_EMIT fired();
}

} // namespace melvanta
