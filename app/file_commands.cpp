#include "app/file_commands.h"

#include "app/changed_on_disk.h"
#include "app/save_outcome.h"
#include "app/encoding_menu.h"
#include "app/unencodable_question.h"
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
const QString kOpenFailed = QStringLiteral("ファイルを開けませんでした。\r");
const QString kReplaceQuestion = QStringLiteral("%1 は既にあります。\r置き換えてよろしいですか？");


// Writes the document to `path` in its own encoding and line ends; the document becomes
// the baseline. False when nothing was written (cancelled or failed; a failure is reported).
bool saveDocumentTo(const FileCommandParts& parts, const QString& path)
{
    Document& document = parts.document;
    // What is written becomes the baseline only if the text is still what was read: a text
    // put in while a question below was open is a change, saved next time.
    quint64 revision = parts.box.model().revision();
    QString text = parts.box.documentText();
    TextEncoding encoding = document.encoding();
    // The unchanged text goes back as the very bytes it was read from.
    std::optional<QByteArray> asRead;
    if (text == document.TxtRam())
        asRead = bytesAsRead(document.originalFile(), encoding, document.lineEnding());
    EncodedText encoded;
    if (asRead)
        encoded.bytes = std::move(*asRead);
    else
        encoded = encodeDocument(text, encoding, document.lineEnding());
    const bool lossyRead = document.undecodable() || !document.foreignEncoding().isEmpty();
    if (encoded.unencodableCount > 0 || (lossyRead && !asRead)) {
        switch (askAboutUnencodable(parts.window, encoded, encoding, document.undecodable(),
                                    document.foreignEncoding())) {
        case UnencodableChoice::Cancel:
            return false;
        case UnencodableChoice::CharacterReferences:
            encoded = encodeDocument(text, encoding, document.lineEnding(), Unencodable::CharacterReferences);
            break;
        case UnencodableChoice::Utf8:
            encoding = TextEncoding::Utf8;
            if (offerDeclarationChange(parts, document.encoding(), encoding)) {
                revision = parts.box.model().revision();
                text = parts.box.documentText();
            }
            encoded = encodeDocument(text, encoding, document.lineEnding());
            break;
        }
    }

    WriteOutcome written;
    {
        BusyPointer busy;
        written = writeWholeFileOutcome(path, encoded.bytes);
    }
    if (!tellSaveOutcome(parts.window, path, written))
        return false;
    document.setEncoding(encoding);
    document.setDiskStamp(DiskStamp::of(path));
    if (!asRead) {
        document.setUndecodable(false); // what is on disk now is what the box shows
        document.setForeignEncoding({});
        document.setOriginalFile({});
    }
    if (parts.box.model().revision() == revision)
        document.takeTextAsBaseline(text);
    else
        document.setBaseline(text);
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
    platform::startSecondEditor(path);
}

void SaveFiLE_Click(const FileCommandParts& parts)
{
    if (parts.document.FilePath().isEmpty() || !mayOverwriteChangedFile(parts.window, parts.document))
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

void openDocumentFile(const FileCommandParts& parts, const QString& path)
{
    openDocument(parts, path, true);
}

bool mayDiscardDocument(const FileCommandParts& parts)
{
    if (!parts.document.hasUnsavedChanges())
        return true;
    return askYesNo(&parts.window, kTitle, kDiscardQuestion, MessageIcon::Information, false);
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

bool loadDocumentFile(Document& document, DocumentBox& box, const QString& path,
                      std::optional<TextEncoding> encoding)
{
    BusyPointer busy;
    // Taken before reading: a change while it reads is then asked about at Save.
    const DiskStamp stamp = DiskStamp::of(path);
    FileRead bytes = readWholeFile(path);
    if (!bytes)
        return false;
    OriginalFile asRead = OriginalFile::of(path, *bytes);
    LoadedDocument doc = decodeDocument(bytes.take(), encoding);

    box.setDocumentText(doc.text);
    if (TextModel::holdsTextAsGiven(doc.text))
        document.takeTextAsBaseline(std::move(doc.text));
    else
        document.takeTextAsBaseline();
    document.setEncoding(doc.encoding);
    document.setUndecodable(doc.undecodable);
    document.setForeignEncoding(doc.foreignEncoding);
    document.setLineEnding(doc.lineEnding);
    asRead.encoding = doc.encoding;
    asRead.lineEnding = doc.lineEnding;
    document.setOriginalFile(std::move(asRead));
    document.setFilePath(path);
    document.setDiskStamp(stamp);
    document.announceLoaded();
    return true;
}
