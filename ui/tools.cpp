#include "ui/tools.h"

#include "platform/file_exists.h"
#include "platform/desktop_open.h"

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

void CenterForm(QWidget* window)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !window)
        return;
    const QRect area = screen->geometry();
    const QSize size = window->frameGeometry().size();
    window->move(area.left() + centredOffset(area.width(), size.width()),
                 area.top() + centredOffset(area.height(), size.height()));
}
