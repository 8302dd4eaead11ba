#pragma once

#include <QTime>

#include <functional>

namespace platform {
// The time of day shown in the title bar; tests fix it.
QTime currentTime();
void setClockForTesting(std::function<QTime()> clock);
}

namespace platform {
// Milliseconds from a fixed point, never going back; for waits that must not follow the
// wall clock. Tests drive it by hand.
qint64 monotonicMilliseconds();
void setMonotonicClockForTesting(std::function<qint64()> clock);
}
