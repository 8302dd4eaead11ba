#pragma once

#include <QString>

namespace platform {
// Hands a file or folder to the desktop's opener (xdg-open): the browser for a page, the
// file manager for a folder. True when the opener was started.
bool openWithDesktop(const QString& path);
}
