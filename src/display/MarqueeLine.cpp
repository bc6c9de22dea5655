#include "display/MarqueeLine.h"

#include "storage/ProfileFile.h"

#include <QLabel>

#include <utility>

namespace melvanta {

MarqueeLine::MarqueeLine(QLabel* text, std::function<TwipsScale()> scale, QObject* parent)
    : QObject(parent), m_text(text), m_scale(std::move(scale))
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &MarqueeLine::stepDue);
}

void MarqueeLine::readSettings(const ProfileReader& profile)
{
    m_settings = MarqueeSettings::read(profile);
    // An unusable speed runs at 5 without being written back.
    m_settings.speed = effectiveMarqueeSpeed(m_settings.speed);
    m_timer.setInterval(marqueeInterval(m_settings.speed));
}

void MarqueeLine::setRunning(bool running)
{
    if (running) {
        m_timer.setInterval(marqueeInterval(m_settings.speed));
        m_timer.start();
    } else {
        m_timer.stop();
    }
}

int MarqueeLine::boxWidth() const
{
    return m_widthLimit > 0 ? qMin(m_settings.width, m_widthLimit) : m_settings.width;
}

int MarqueeLine::boxWidthPixels() const
{
    return qBound(0, m_scale().xToPixels(boxWidth()), 16384);
}

void MarqueeLine::placeText()
{
    m_text->move(m_scale().xToPixels(m_left), 0);
}

void MarqueeLine::centreText()
{
    m_left = centredLeft();
}

void MarqueeLine::restartText()
{
    m_left = m_settings.mode == int(MarqueeMode::Still) ? centredLeft() : 0;
}

double MarqueeLine::centredLeft() const
{
    return (boxWidth() - m_text->width() * m_scale().perPixelX()) / 2;
}

bool MarqueeLine::advance()
{
    const int interval = marqueeInterval(m_settings.speed);
    if (m_timer.interval() != interval)
        m_timer.setInterval(interval);
    const MarqueeMove move = marqueeStep(m_settings.mode, m_left, m_text->width() * m_scale().perPixelX(), boxWidth());
    m_left = move.left;
    placeText();
    if (move.stop)
        m_timer.stop();
    const int mode = m_settings.mode;
    return mode >= int(MarqueeMode::LeftToRight) && mode <= int(MarqueeMode::Still);
}

} // namespace melvanta
