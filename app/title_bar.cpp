#include "app/main_window.h"
#include "app/paths.h"
#include "app/subsystems.h"
#include "platform/clock.h"
#include "ui/menu_surface.h"

#include <QAction>

namespace {
const QString kNoFileYet = QStringLiteral("まだ、ファイルを開いていないか、名前を付けて保存していません。");

// Qt reads "[*]" in a window title as the modified mark and "&" in an action's text as the
// access key; a file name may hold either, and must show as it is.
QString literalWindowTitle(QString title)
{
    title.replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
    return title;
}

QString literalActionText(QString text)
{
    text.replace(u'&', QLatin1String("&&"));
    return text;
}
}

void updateTitleBar(HtmlE& window)
{
    // The title is taken here as well as by the path menu, so a new file's name never waits
    // for the next tick.
    const QString& path = window.state().FilePath;
    if (!path.isEmpty())
        TakeFileTitle(path);
    const QString time = platform::currentTime().toString(QStringLiteral("HH:mm:ss"));
    const QString& title = programPaths().FileTitle;
    const QString& hover = window.state().HoverText;
    window.setWindowTitle(literalWindowTitle(title.isEmpty() ? QStringLiteral("vornikedit ") + time + hover
                                                             : title + u' ' + time + hover));
}

void updatePathMenu(HtmlE& window)
{
    const QString& path = window.state().FilePath;
    QAction* pathMenu = window.menus().action(QStringLiteral("PathMenu"));
    if (!path.isEmpty()) {
        TakeFileTitle(path);
        pathMenu->setText(literalActionText(path));
    } else {
        pathMenu->setText(kNoFileYet);
    }
}
