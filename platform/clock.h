#pragma once

#include <QTime>

#include <functional>

namespace platform {
// The time of day shown in the title bar; tests fix it.
QTime currentTime();
void setClockForTesting(std::function<QTime()> clock);
}
