#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace platform {

// Whether a top-level window titled exactly `title` exists (shown or not), on the X server
// of the desktop. Empty where there is no X server to ask (Wayland, no display).
std::optional<bool> topLevelWindowExists(const QString& title);

using WindowLookupFn = std::function<std::optional<bool>(const QString&)>;
// Tests answer the lookup themselves; an empty function restores the real one.
void setWindowLookupForTesting(WindowLookupFn fn);

// Whether the process still runs.
bool processRunning(qint64 pid);
void setProcessRunningForTesting(std::function<bool(qint64)> fn);

}
