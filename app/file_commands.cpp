#include "app/file_commands.h"

#include "document/document.h"
#include "text/document_codec.h"
#include "text/file_read.h"
#include "text/file_write.h"
#include "platform/launcher.h"
#include "ui/busy_pointer.h"
#include "ui/document_box.h"
#include "ui/file_controler.h"
#include "ui/menu_surface.h"
#include "ui/message_box.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace {

const QString kTitle = QStringLiteral("HtmlE");
const QString kDiscardQuestion = QStringLiteral("すべて消えてしまいますが、\rよろしいですか？");
const QString kWriteFailed = QStringLiteral("書き込みに失敗しました。");
const QString kOpenFailed = QStringLiteral("ファイルを開けませんでした。\r");
const QString kReplaceQuestion = QStringLiteral("%1 は既にあります。\r置き換えてよろしいですか？");
const QString kUnencodable = QStringLiteral("この文書には Shift_JIS で保存できない文字があります。");


bool mayDiscardDocument(const FileCommandParts& parts)
{
    if (!parts.document.hasUnsavedChanges())
        return true;
    return askYesNo(&parts.window, kTitle, kDiscardQuestion, MessageIcon::Information, false);
}

enum class UnencodableChoice { CharacterReferences, Utf8, Cancel };

UnencodableChoice askAboutUnencodable(QWidget& window, const EncodedText& report, bool undecodable)
{
    QString text = kUnencodable + u'\r'
        + QStringLiteral("%1 文字（最初は %2 行目）").arg(report.unencodableCount).arg(report.firstUnencodableLine);
    if (undecodable)
        text += QStringLiteral("\r読み込めなかったバイトは元のとおりには書き戻せません。");
    text += QStringLiteral("\r文字参照（&#x...;）にして Shift_JIS のまま保存するか、UTF-8 で保存するかを選んでください。");

    QMessageBox box(QMessageBox::Warning, kTitle, displayLines(text), QMessageBox::NoButton, &window);
    box.setObjectName(QStringLiteral("unencodableQuestion"));
    box.setTextFormat(Qt::PlainText);
    box.addButton(QMessageBox::Save)->setText(QStringLiteral("文字参照で保存(&R)"));
    box.addButton(QMessageBox::Apply)->setText(QStringLiteral("UTF-8 で保存(&U)"));
    box.addButton(QMessageBox::Cancel)->setText(QStringLiteral("キャンセル"));
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    if (box.clickedButton() == box.button(QMessageBox::Save))
        return UnencodableChoice::CharacterReferences;
    if (box.clickedButton() == box.button(QMessageBox::Apply))
        return UnencodableChoice::Utf8;
    return UnencodableChoice::Cancel;
}

// Writes the document to `path` in its own encoding and line ends; the document becomes
// the baseline. False when nothing was written (cancelled or failed; a failure is reported).
bool saveDocumentTo(const FileCommandParts& parts, const QString& path)
{
    Document& document = parts.document;
    const QString text = parts.box.documentText();
    TextEncoding encoding = document.encoding();
    EncodedText encoded = encodeDocument(text, encoding, document.lineEnding());
    if (encoded.unencodableCount > 0) {
        switch (askAboutUnencodable(parts.window, encoded, document.undecodable())) {
        case UnencodableChoice::Cancel:
            return false;
        case UnencodableChoice::CharacterReferences:
            encoded = encodeDocument(text, encoding, document.lineEnding(), Unencodable::CharacterReferences);
            break;
        case UnencodableChoice::Utf8:
            encoding = TextEncoding::Utf8;
            encoded = encodeDocument(text, encoding, document.lineEnding());
            break;
        }
    }

    bool written = false;
    {
        BusyPointer busy;
        written = writeWholeFile(path, encoded.bytes);
    }
    if (!written) {
        tellUser(&parts.window, kTitle, kWriteFailed, MessageIcon::Exclamation);
        return false;
    }
    document.setEncoding(encoding);
    document.setUndecodable(false); // what is on disk now is what the box shows
    document.takeTextAsBaseline(text); // read from the box just now
    return true;
}

// Open and drop: ask before unsaved changes go, then load, and say so when the file
// cannot be read.
void openDocument(const FileCommandParts& parts, const QString& path, bool hideBoxWhileLoading)
{
    if (path.isEmpty() || !mayDiscardDocument(parts))
        return;
    DocumentBox* box = &parts.box;
    const bool hadFocus = box->hasFocus();
    if (hideBoxWhileLoading)
        box->hide();
    const bool loaded = loadDocumentFile(parts.document, parts.box, path);
    if (hideBoxWhileLoading) {
        box->show();
        if (hadFocus)
            box->setFocus();
    }
    if (!loaded)
        tellUser(&parts.window, kTitle, kOpenFailed + path, MessageIcon::Exclamation);
}

void newfile_Click(const FileCommandParts& parts)
{
    if (!parts.box.isEmpty()) {
        if (!askYesNo(&parts.window, kTitle, kDiscardQuestion, MessageIcon::Information, false))
            return;
        parts.box.setDocumentText(QString());
    }
    parts.document.clearFile();
}

void openfile_Click(const FileCommandParts& parts)
{
    const QString path = parts.files.askOpenFileName(&parts.window, parts.document.FilePath());
    openDocument(parts, path, true);
}

void newopenfile_Click(const FileCommandParts& parts)
{
    const QString path = parts.files.askOpenFileName(&parts.window, parts.document.FilePath());
    if (path.isEmpty())
        return;
    // One argument, no shell: the new process reads it as its whole command line.
    platform::startDetached(platform::runningExecutable(), {path + QStringLiteral(" on")});
}

void SaveFiLE_Click(const FileCommandParts& parts)
{
    if (parts.document.FilePath().isEmpty())
        return;
    saveDocumentTo(parts, parts.document.FilePath());
}

void SaveAsFile_Click(const FileCommandParts& parts)
{
    const QString path = parts.files.askSaveFileName(&parts.window, parts.document.FilePath());
    if (path.isEmpty())
        return;
    if (QFileInfo::exists(path)
        && !askYesNo(&parts.window, kTitle, kReplaceQuestion.arg(path), MessageIcon::Exclamation, false))
        return;
    if (!saveDocumentTo(parts, path))
        return;
    parts.document.setFilePath(path);
}

}

void installFileCommands(MenuSurface& menus, const FileCommandParts& parts)
{
    menus.onTriggered(QStringLiteral("newfile"), [parts] { newfile_Click(parts); });
    menus.onTriggered(QStringLiteral("openfile"), [parts] { openfile_Click(parts); });
    menus.onTriggered(QStringLiteral("newopenfile"), [parts] { newopenfile_Click(parts); });
    menus.onTriggered(QStringLiteral("SaveFiLE"), [parts] { SaveFiLE_Click(parts); });
    menus.onTriggered(QStringLiteral("SaveAsFile"), [parts] { SaveAsFile_Click(parts); });
    // Queued: the question and the load run after the drop has been answered, not inside it.
    QObject::connect(&parts.box, &DocumentBox::filesDropped, &parts.window,
                     [parts](const QStringList& paths) { openDocument(parts, paths.first(), false); },
                     Qt::QueuedConnection);
}

bool loadDocumentFile(Document& document, DocumentBox& box, const QString& path)
{
    BusyPointer busy;
    FileRead bytes = readWholeFile(path);
    if (!bytes)
        return false;
    LoadedDocument doc = decodeDocument(bytes.take());

    box.setDocumentText(doc.text);
    if (DocumentBox::holdsTextAsGiven(doc.text))
        document.takeTextAsBaseline(std::move(doc.text));
    else
        document.takeTextAsBaseline();
    document.setEncoding(doc.encoding);
    document.setUndecodable(doc.undecodable);
    document.setLineEnding(doc.lineEnding);
    document.setFilePath(path);
    return true;
}
