#include "app/window_parts.h"
#include "document/document.h"
#include "document/insertion_point.h"
#include "platform/desktop_open.h"
#include "ui/menu_surface.h"
#include "ui/message_box.h"
#include "ui/tools.h"

#include <QDir>

namespace {

const QString kNoFileYet = QStringLiteral("まだ、ファイルを開いていないか、名前を付けて保存していません。");
const QString kNoFileManager = QStringLiteral("ファイルマネージャを起動できませんでした。");

// The file as it stands on disk; changes not yet saved are not part of the preview.
void Br_open_Click(const Document& document, InsertionPoint& insertion, QWidget& window)
{
    // Asked of FilePath itself, not of the path menu's caption, so a file just opened or
    // saved under a name is previewed at once.
    const QString& path = document.FilePath();
    if (path.isEmpty()) {
        tellUser(&window, QStringLiteral("vornik!"), kNoFileYet, MessageIcon::Information);
        return;
    }
    ShellOpen(&window, path);
    insertion.focusDocument();
}

void Ex_open_Click(const Document& document, QWidget& window)
{
    // With no folder ever taken, the home folder rather than wherever the opener starts.
    QString folder = document.FileFolder();
    if (folder.isEmpty())
        folder = QDir::homePath();
    if (!platform::openWithDesktop(folder))
        tellUser(&window, QStringLiteral("vornik!"), kNoFileManager, MessageIcon::Exclamation);
}

}

void installLaunchCommands(MenuSurface& menus, const Document& document, InsertionPoint& insertion,
                           QWidget& window)
{
    menus.onTriggered(QStringLiteral("Br_open"),
                      [&document, &insertion, &window] { Br_open_Click(document, insertion, window); });
    menus.onTriggered(QStringLiteral("Ex_open"), [&document, &window] { Ex_open_Click(document, window); });
}
