#pragma once

#include <QObject>
#include <QTimer>

namespace melvanta {

class TimeSource;

// A repeating timer of the run engine. It remembers when it was last
// (re)started on the engine's time source, so that a test can tell when it
// is due and fire it by hand instead of waiting.
class TickTimer : public QObject
{
    Q_OBJECT
public:
    TickTimer(const TimeSource& time, int intervalMs, QObject* parent = nullptr);

    void start();
    void start(int intervalMs);
    void stop();
    bool isActive() const { return m_timer.isActive(); }
    int interval() const { return m_timer.interval(); }
    // Takes effect at the next (re)start or, while running, from the next period.
    void setInterval(int intervalMs);

    // Tick count at which the timer fires next (meaningful while active).
    qint64 dueAt() const { return m_lastStart + m_timer.interval(); }
    // Fires now, as the event loop would when the timer is due.
    void fireNow();

Q_SIGNALS:
    void fired();

private:
    const TimeSource& m_time;
    QTimer m_timer;
    qint64 m_lastStart = 0;
};

} // namespace melvanta
