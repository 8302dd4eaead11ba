#include "app/start_file.h"

#include "app/file_commands.h"
#include "app/opened_file.h"
#include "document/document.h"
#include "ui/document_box.h"
#include "ui/message_box.h"

#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {
const QString kFolderRefused = QStringLiteral("%1 はフォルダーです。\rフォルダーは開けません。");
}

void openStartFile(Document& document, DocumentBox& box, QWidget& window, const QString& path)
{
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    if (info.isDir()) {
        QPointer<QWidget> parent(&window);
        QTimer::singleShot(0, &window, [parent, path] {
            if (parent)
                tellUser(parent, QStringLiteral("HtmlE"), kFolderRefused.arg(path), MessageIcon::Exclamation);
        });
        return;
    }
    // A dangling symlink is not nothing: the write would go through it, so it is left alone.
    if (!info.exists() && !info.isSymLink()) {
        document.clearFile();
        document.setFilePath(path);
        return;
    }
    // The time the page still takes to be read readies the fonts its first paint needs.
    if (openingAhead())
        box.prepareJapaneseFonts();
    loadDocumentFile(document, path);
}
