#include "display/MarqueeStep.h"

#include "storage/ProfileFile.h"

#include <QtGlobal>

#include <cmath>
#include <cstdlib>

namespace melvanta {

namespace {

int boundedNumber(const ProfileReader& profile, const QString& key, double fallback, double low, double high)
{
    const double value = profile.readNumber(QStringLiteral("Marquee"), key, fallback);
    if (std::isnan(value))
        return static_cast<int>(fallback);
    return static_cast<int>(qBound(low, value, high));
}

} // namespace

MarqueeSettings MarqueeSettings::read(const ProfileReader& profile)
{
    MarqueeSettings settings;
    // Mode and speed are 16-bit values; the width is kept within what a
    // screen can hold.
    settings.mode = boundedNumber(profile, QStringLiteral("Mode"), 2, -32768, 32767);
    settings.width = boundedNumber(profile, QStringLiteral("Width"), 1000, 0, 1e7);
    settings.speed = boundedNumber(profile, QStringLiteral("MarQueespeed"), 1, -32768, 32767);
    return settings;
}

int effectiveMarqueeSpeed(int speed)
{
    const int magnitude = std::abs(speed);
    return magnitude > 0 && magnitude <= 50 ? speed : 5;
}

int marqueeInterval(int speed)
{
    // A negative speed runs as fast as its magnitude says.
    const int magnitude = std::abs(effectiveMarqueeSpeed(speed));
    return static_cast<int>(std::lround(1000.0 / magnitude));
}

MarqueeMove marqueeStep(int mode, double left, double textWidth, double boxWidth)
{
    MarqueeMove move;
    move.left = left;
    switch (static_cast<MarqueeMode>(mode)) {
    case MarqueeMode::Still:
        move.left = (boxWidth - textWidth) / 2;
        move.stop = true;
        break;
    case MarqueeMode::RightToLeft:
        move.left = left + textWidth >= kMarqueeStepTwips ? left - kMarqueeStepTwips : boxWidth - kMarqueeStepTwips;
        break;
    case MarqueeMode::LeftToRight:
        move.left = left > boxWidth ? -textWidth : left + kMarqueeStepTwips;
        break;
    default:
        break;
    }
    return move;
}

} // namespace melvanta
