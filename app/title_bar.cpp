#include "app/window_parts.h"
#include "document/document.h"
#include "platform/clock.h"

#include <QAction>
#include <QWidget>

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

void updateTitleBar(QWidget& window, const Document& document, const QString& hover)
{
    const QString time = platform::currentTime().toString(QStringLiteral("HH:mm:ss"));
    const QString& title = document.FileTitle();
    window.setWindowTitle(literalWindowTitle(title.isEmpty() ? QStringLiteral("vornikedit ") + time + hover
                                                             : title + u' ' + time + hover));
}

void updatePathMenu(QAction& pathMenu, const Document& document)
{
    const QString& path = document.FilePath();
    if (!path.isEmpty()) {
        pathMenu.setText(literalActionText(path));
    } else {
        pathMenu.setText(kNoFileYet);
    }
}
