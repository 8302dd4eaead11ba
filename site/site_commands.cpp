#include "site/site_commands.h"

#include "site/folder_search_window.h"
#include "site/link_check_window.h"
#include "ui/document_box.h"
#include "ui/document_context_menu.h"

#include <QAction>
#include <QMenu>

void installSiteCommands(Document& document, DocumentBox* box, QWidget* window)
{
    auto* folder = new QAction(QStringLiteral("フォルダ内の検索と置換(&I)..."), window);
    folder->setObjectName(QStringLiteral("folderSearch"));
    folder->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    folder->setShortcutContext(Qt::WindowShortcut);
    window->addAction(folder);
    auto* links = new QAction(QStringLiteral("リンクの確認(&K)..."), window);
    links->setObjectName(QStringLiteral("linkCheck"));
    window->addAction(links);

    QObject::connect(folder, &QAction::triggered, box,
                     [&document, box, window] { FolderSearchWindow::showFor(document, box, window); });
    QObject::connect(links, &QAction::triggered, box,
                     [&document, box, window] { LinkCheckWindow::showFor(document, box, window); });
    DocumentContextMenu::of(box, window)->addEntries([=](QMenu& menu) {
        menu.addSeparator();
        menu.addActions({folder, links});
    });
}
