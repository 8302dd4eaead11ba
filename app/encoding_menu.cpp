#include "app/encoding_menu.h"

#include "app/file_commands.h"
#include "document/document.h"
#include "text/charset_declaration.h"
#include "text/text_encoding.h"
#include "ui/document_box.h"
#include "ui/document_context_menu.h"
#include "ui/message_box.h"

#include <QActionGroup>
#include <QMenu>
#include <QTimer>

namespace {

void reopenIn(const FileCommandParts& parts, TextEncoding encoding)
{
    const QString path = parts.document.FilePath();
    if (path.isEmpty() || !mayDiscardDocument(parts))
        return;
    if (!loadDocumentFile(parts.document, path, encoding, Reading::Again)) {
        tellUser(&parts.window, QStringLiteral("HtmlE"), QStringLiteral("ファイルを開けませんでした。\r") + path,
                 MessageIcon::Exclamation);
    }
}

void tellForeignEncoding(const FileCommandParts& parts)
{
    const Document& document = parts.document;
    if (document.foreignEncoding().isEmpty())
        return; // another file was opened meanwhile
    tellUser(&parts.window, QStringLiteral("HtmlE"),
             QStringLiteral("%1 は %2 (中国語または韓国語の文字コード) で書かれているようです。\r"
                            "このエディタはこの文字コードを読めないため、%3 として表示しています。"
                            "文字化けしているのはそのためです。\r"
                            "変更して保存するときは、その前に確認します。")
                 .arg(document.FileTitle(), document.foreignEncoding(), encodingName(document.encoding())),
             MessageIcon::Exclamation);
}

// Where a position of the text before `changes` is after them: past a change it moves by the
// difference in length, inside one it stays inside what replaced it.
qsizetype mappedThrough(qsizetype position, const TextChanges& changes)
{
    qsizetype shift = 0;
    for (const TextChange& change : changes) {
        if (position < change.start + change.length) {
            if (position > change.start)
                return change.start + shift + qMin(position - change.start, change.text.size());
            break;
        }
        shift += change.text.size() - change.length;
    }
    return position + shift;
}

void chooseSaveEncoding(const FileCommandParts& parts, TextEncoding encoding)
{
    const TextEncoding old = parts.document.encoding();
    if (encoding == old)
        return;
    parts.document.setEncoding(encoding);
    parts.document.markFormatChanged();
    if (askDeclarationChange(parts, old, encoding))
        makeDeclarationChange(parts, old, encoding);
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
    // A page the editor cannot read is said so when it opens, after the load has finished.
    QObject::connect(&parts.document, &Document::fileLoaded, &parts.window, [parts] {
        if (!parts.document.foreignEncoding().isEmpty())
            QTimer::singleShot(0, &parts.window, [parts] { tellForeignEncoding(parts); });
    });
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
                     [parts](TextEncoding e) { chooseSaveEncoding(parts, e); });
    });
}

bool askDeclarationChange(const FileCommandParts& parts, TextEncoding from, TextEncoding to)
{
    // In text positions, as the changes are made.
    const QString text = parts.box.model().text(0, parts.box.model().length(), u"\n");
    const TextChanges changes = charsetDeclarationChanges(text, from, to);
    if (changes.isEmpty())
        return false;
    const TextChange& first = changes.constFirst();
    const QString question = QStringLiteral("このページの <meta> は文字コードを %1 と宣言しています。\r"
                                            "保存する文字コード (%2) に合わせて %3 に書き換えますか？")
                                 .arg(text.mid(first.start, first.length), encodingName(to), first.text);
    return askYesNo(&parts.window, QStringLiteral("HtmlE"), question, MessageIcon::Information, true);
}

QString textDeclaring(const TextModel& model, TextEncoding from, TextEncoding to)
{
    QString text = model.text(0, model.length(), u"\n");
    const TextChanges changes = charsetDeclarationChanges(text, from, to);
    for (auto change = changes.crbegin(); change != changes.crend(); ++change)
        text.replace(change->start, change->length, change->text);
    return text.replace(u'\n', QStringLiteral("\r\n"));
}

bool makeDeclarationChange(const FileCommandParts& parts, TextEncoding from, TextEncoding to)
{
    // Found again: the page may have changed while the question was open.
    TextModel& model = parts.box.model();
    const TextChanges changes = charsetDeclarationChanges(model.text(0, model.length(), u"\n"), from, to);
    if (changes.isEmpty())
        return false;
    // Only the declaration changes, so the caret and the selection stay on what they were on.
    const TextRange was = parts.box.selection();
    model.replace(0, model.length(), changes);
    parts.box.select(mappedThrough(was.anchor, changes), mappedThrough(was.position, changes));
    return true;
}
