#include "platform/desktop_open.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {
bool openWithDesktop(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
}
