#include "platform/BootClock.h"

#if defined(Q_OS_WIN)
#include <windows.h>
#elif defined(Q_OS_LINUX)
#include <time.h>
#else
#include <QElapsedTimer>
#endif

namespace melvanta {

qint64 bootClockMs()
{
#if defined(Q_OS_WIN)
    // The tick count counts sleep and hibernation.
    return qint64(GetTickCount64());
#elif defined(Q_OS_LINUX)
    // CLOCK_MONOTONIC stops during a suspend; CLOCK_BOOTTIME does not.
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
#else
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
#endif
}

} // namespace melvanta
