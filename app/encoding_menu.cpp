#include "app/encoding_menu.h"

#include "app/file_commands.h"
#include "document/document.h"
#include "text/text_encoding.h"
#include "ui/document_box.h"
#include "ui/document_context_menu.h"
#include "ui/message_box.h"

#include <QActionGroup>
#include <QMenu>

namespace {

void reopenIn(const FileCommandParts& parts, TextEncoding encoding)
{
    const QString path = parts.document.FilePath();
    if (path.isEmpty() || !mayDiscardDocument(parts))
        return;
    if (!loadDocumentFile(parts.document, parts.box, path, encoding)) {
        tellUser(&parts.window, QStringLiteral("HtmlE"), QStringLiteral("ファイルを開けませんでした。\r") + path,
                 MessageIcon::Exclamation);
    }
}

// One checkable entry for each encoding, the document's checked.
QMenu* encodingList(QMenu& parent, const QString& title, const char* name, TextEncoding current,
                    const std::function<void(TextEncoding)>& choose)
{
    QMenu* list = parent.addMenu(title);
    list->setObjectName(QLatin1String(name));
    auto* group = new QActionGroup(list);
    for (TextEncoding encoding : allTextEncodings()) {
        QAction* entry = list->addAction(encodingName(encoding));
        entry->setCheckable(true);
        entry->setChecked(encoding == current);
        group->addAction(entry);
        QObject::connect(entry, &QAction::triggered, list, [choose, encoding] { choose(encoding); });
    }
    return list;
}

}

void installEncodingMenu(const FileCommandParts& parts)
{
    DocumentContextMenu::of(&parts.box, &parts.window)->addEntries([parts](QMenu& menu) {
        QMenu* encodings = menu.addMenu(QStringLiteral("文字コード"));
        encodings->setObjectName(QStringLiteral("encodingMenu"));
        const TextEncoding current = parts.document.encoding();
        QAction* shown = encodings->addAction(encodingName(current));
        shown->setCheckable(true);
        shown->setChecked(true);
        shown->setEnabled(false);
        encodings->addSeparator();
        QMenu* reopen = encodingList(*encodings, QStringLiteral("この文字コードで開き直す"), "reopenEncoding",
                                     current, [parts](TextEncoding e) { reopenIn(parts, e); });
        reopen->setEnabled(!parts.document.FilePath().isEmpty());
        encodingList(*encodings, QStringLiteral("保存する文字コード"), "saveEncoding", current,
                     [parts](TextEncoding e) {
                         if (e == parts.document.encoding())
                             return;
                         parts.document.setEncoding(e);
                         parts.document.markFormatChanged();
                     });
    });
}
