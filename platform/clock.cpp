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
