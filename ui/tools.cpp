#include "ui/tools.h"

#include "platform/desktop_open.h"
#include "platform/file_exists.h"
#include "ui/window_frame.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

bool ShellOpen(QWidget* window, const QString& path)
{
    if (!FileExists(path))
        return false;
    return platform::openWithDesktop(path);
}

int centredOffset(int screenExtent, int windowExtent)
{
    return (screenExtent - windowExtent) / 2;
}

namespace {
void moveCentred(QWidget* window, const QRect& area, QMargins frame)
{
    // The outer window, frame included, is centred; move() places the frame's corner.
    const QSize size = window->size().grownBy(frame);
    window->move(area.left() + centredOffset(area.width(), size.width()),
                 area.top() + centredOffset(area.height(), size.height()));
}
}

void CenterForm(QWidget* window)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !window)
        return;
    const QRect area = screen->geometry();
    const QMargins frame = knownFrameMargins(window);
    moveCentred(window, area, frame);
    // A window not shown yet has its frame guessed; put right once it is framed.
    if (!window->isVisible())
        whenFramedOtherwise(window, frame, [window, area](QMargins real) { moveCentred(window, area, real); });
}
