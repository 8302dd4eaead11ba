#include "platform/clock.h"

namespace platform {
namespace {
std::function<QTime()>& override()
{
    static std::function<QTime()> clock;
    return clock;
}
}

QTime currentTime()
{
    return override() ? override()() : QTime::currentTime();
}

void setClockForTesting(std::function<QTime()> clock)
{
    override() = std::move(clock);
}
}

#include <QElapsedTimer>

namespace platform {
namespace {
std::function<qint64()>& monotonicOverride()
{
    static std::function<qint64()> clock;
    return clock;
}
}

qint64 monotonicMilliseconds()
{
    if (monotonicOverride())
        return monotonicOverride()();
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.elapsed();
}

void setMonotonicClockForTesting(std::function<qint64()> clock)
{
    monotonicOverride() = std::move(clock);
}
}
