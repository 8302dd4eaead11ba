#include "app/main_window.h"
#include "app/paths.h"
#include "app/subsystems.h"
#include "platform/clock.h"
#include "ui/menu_surface.h"

#include <QAction>

namespace {
const QString kNoFileYet = QStringLiteral("まだ、ファイルを開いていないか、名前を付けて保存していません。");
}

void updateTitleBar(HtmlE& window)
{
    const QString time = platform::currentTime().toString(QStringLiteral("HH:mm:ss"));
    const QString& title = programPaths().FileTitle;
    const QString& hover = window.state().HoverText;
    window.setWindowTitle(title.isEmpty() ? QStringLiteral("vornikedit ") + time + hover
                                          : title + u' ' + time + hover);
}

void updatePathMenu(HtmlE& window)
{
    const QString& path = window.state().FilePath;
    QAction* pathMenu = window.menus().action(QStringLiteral("PathMenu"));
    if (!path.isEmpty()) {
        TakeFileTitle(path);
        pathMenu->setText(path);
    } else {
        pathMenu->setText(kNoFileYet);
    }
}
