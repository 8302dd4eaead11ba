#include "app/document_box.h"
#include "app/main_window.h"
#include "app/paths.h"
#include "app/tools.h"
#include "platform/desktop_open.h"
#include "ui/command_surface_parts.h"
#include "ui/menu_surface.h"
#include "ui/message_box.h"

#include <QDir>

namespace {

const QString kNoFileYet = QStringLiteral("まだ、ファイルを開いていないか、名前を付けて保存していません。");
const QString kNoFileManager = QStringLiteral("ファイルマネージャを起動できませんでした。");

// The file as it stands on disk; changes not yet saved are not part of the preview.
void Br_open_Click(HtmlE& window)
{
    // Asked of FilePath itself, not of the path menu's caption, so a file just opened or
    // saved under a name is previewed at once.
    const QString& path = window.state().FilePath;
    if (path.isEmpty()) {
        tellUser(&window, QStringLiteral("vornik!"), kNoFileYet, MessageIcon::Information);
        return;
    }
    ShellOpen(&window, path);
    window.editwindow()->setFocus();
}

void Ex_open_Click(HtmlE& window)
{
    TakeFileFolder(window.state().FilePath);
    // With no folder ever taken, the home folder rather than wherever the opener starts.
    QString folder = programPaths().FileFolder;
    if (folder.isEmpty())
        folder = QDir::homePath();
    if (!platform::openWithDesktop(folder))
        tellUser(&window, QStringLiteral("vornik!"), kNoFileManager, MessageIcon::Exclamation);
}

}

void installLaunchCommands(HtmlE& window)
{
    window.menus().onTriggered(QStringLiteral("Br_open"), [&window] { Br_open_Click(window); });
    window.menus().onTriggered(QStringLiteral("Ex_open"), [&window] { Ex_open_Click(window); });
}
