#include "app/file_commands.h"

#include "app/changed_on_disk.h"
#include "app/opened_file.h"
#include "app/save_outcome.h"
#include "app/text_to_write.h"
#include "app/encoding_menu.h"
#include "app/unencodable_question.h"
#include "text/charset_declaration.h"
#include "document/document.h"
#include "text/document_codec.h"
#include "text/part_decode.h"
#include "model/text_model.h"
#include "text/long_line_pieces.h"
#include "document/text_fingerprint.h"
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
#include <QFuture>
#include <QMessageBox>
#include <QPushButton>
#include <QtConcurrent/QtConcurrentRun>

namespace {
const QString kTitle = QStringLiteral("HtmlE");
const QString kDiscardQuestion = QStringLiteral("すべて消えてしまいますが、\rよろしいですか？");
const QString kOpenFailed = QStringLiteral("ファイルを開けませんでした。\r");
const QString kReplaceQuestion = QStringLiteral("%1 は既にあります。\r置き換えてよろしいですか？");

// The bytes about to be written would be read by the next open as another text (the
// encoding cannot be told from them): asks, offering a declaration or a byte-order mark that
// makes them read right. False when the save is cancelled.
bool confirmReadBack(const FileCommandParts& parts, TextToWrite& toWrite, TextEncoding& encoding,
                     EncodedText& encoded, quint64& revision)
{
    const Document& document = parts.document;
    if (!toWrite.mayReadOtherwise(encoding))
        return true;
    {
        BusyPointer busy;
        if (readsBackAs(encoded.bytes, encoding))
            return true;
    }
    toWrite.hold();
    const std::optional<TextEncoding> marked = withByteOrderMark(encoding);
    // The declaration is offered only where it is seen in the bytes and settles the reading.
    bool declares = false;
    {
        BusyPointer busy;
        const QString text = toWrite.text();
        const TextChanges declaration = exactDeclarationChanges(text, encoding);
        if (!declaration.isEmpty()) {
            QString declared = text;
            for (auto it = declaration.crbegin(); it != declaration.crend(); ++it)
                declared.replace(it->start, it->length, it->text);
            const EncodedText trial = encodeDocument(declared, encoding, document.lineEnding(),
                                                     Unencodable::CharacterReferences, document.byteForms());
            declares = readsBackAs(trial.bytes, encoding);
        }
    }
    switch (askAboutReadingBack(parts.window, encoding, declares ? exactDeclaredName(encoding) : QString(),
                                marked.has_value())) {
    case ReadBackChoice::Cancel:
        return false;
    case ReadBackChoice::AsItIs:
        return true;
    case ReadBackChoice::ByteOrderMark:
        encoding = *marked;
        break;
    case ReadBackChoice::Declaration:
        // In the box, as one undo step: the page then says what it is.
        parts.box.select(0, document.model().length());
        parts.box.replaceSelection(exactDeclarationChanges(document.model().text(0, document.model().length(), u"\n"),
                                                           encoding));
        revision = document.model().revision();
        toWrite.fromBox();
        break;
    }
    // What the encoding lacks was asked about before: whatever is left of it goes as references.
    encoded = EncodedText();
    BusyPointer busy;
    encoded = toWrite.encode(encoding, Unencodable::CharacterReferences);
    return true;
}

// Writes the document to `path` in its own encoding and line ends; the document becomes
// the baseline. False when nothing was written (cancelled or failed; a failure is reported).
bool saveDocumentTo(const FileCommandParts& parts, const QString& path)
{
    Document& document = parts.document;
    // What is written becomes the baseline only if the text is still what was read: a text
    // put in while a question below was open is a change, saved next time.
    quint64 revision = document.model().revision();
    TextEncoding encoding = document.encoding();
    // The unchanged text goes back as the very bytes it was read from, not read at all; so
    // does a text typed back to what was read.
    const bool unchanged = document.textIsBaseline();
    std::optional<QByteArray> asRead;
    if (unchanged)
        asRead = bytesAsRead(document.originalFile(), encoding, document.lineEnding());
    TextToWrite toWrite(document);
    EncodedText encoded;
    if (!asRead) {
        BusyPointer busy;
        encoded = toWrite.encode(encoding, Unencodable::Report);
        if (!unchanged && toWrite.fingerprint() == document.TxtRam())
            asRead = bytesAsRead(document.originalFile(), encoding, document.lineEnding());
    }
    if (asRead)
        encoded = EncodedText{std::move(*asRead)};
    // A <meta> to declare UTF-8 once the file is written so, and not before: a failed save
    // leaves the page and its encoding as they were.
    bool declareUtf8 = false;
    const bool lossyRead = document.undecodable() || !document.foreignEncoding().isEmpty();
    if (encoded.unencodableCount > 0 || (lossyRead && !asRead)) {
        toWrite.hold();
        switch (askAboutUnencodable(parts.window, encoded, encoding, document.undecodable(),
                                    document.foreignEncoding())) {
        case UnencodableChoice::Cancel:
            return false;
        case UnencodableChoice::CharacterReferences: {
            encoded = EncodedText();
            BusyPointer busy;
            encoded = toWrite.encode(encoding, Unencodable::CharacterReferences);
            break;
        }
        case UnencodableChoice::Utf8: {
            encoding = TextEncoding::Utf8;
            declareUtf8 = askDeclarationChange(parts, document.encoding(), encoding);
            if (declareUtf8) {
                revision = document.model().revision();
                toWrite.set(textDeclaring(document.model(), document.encoding(), encoding));
            }
            // UTF-8 holds every character but a lone surrogate, which the user was just asked
            // about: it goes as a reference rather than not at all.
            encoded = EncodedText();
            BusyPointer busy;
            encoded = toWrite.encode(encoding, Unencodable::CharacterReferences);
            break;
        }
        }
    }

    if (!asRead && !confirmReadBack(parts, toWrite, encoding, encoded, revision))
        return false;

    // Only the bytes are held while they are written; what they were made of is kept as its fingerprint.
    const TextFingerprint baseline = asRead ? document.TxtRam() : toWrite.fingerprint();
    toWrite.fromBox();
    WriteOutcome written;
    {
        BusyPointer busy;
        written = writeWholeFileOutcome(path, encoded.bytes);
    }
    if (!tellSaveOutcome(parts.window, path, written))
        return false;
    if (declareUtf8) {
        const bool asWritten = document.model().revision() == revision;
        makeDeclarationChange(parts, document.encoding(), encoding);
        if (asWritten)
            revision = document.model().revision();
    }
    document.setEncoding(encoding);
    document.setDiskStamp(DiskStamp::of(path));
    if (!asRead) {
        document.setUndecodable(false); // what is on disk now is what the box shows
        document.setForeignEncoding({});
        document.setOriginalFile({});
    }
    if (document.model().revision() == revision)
        document.takeTextAsBaseline(baseline);
    else
        document.setBaseline(baseline);
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
    const bool loaded = loadDocumentFile(parts.document, path);
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
        parts.document.model().setText(QString());
    }
    parts.document.clearFile();
}

void openfile_Click(const FileCommandParts& parts)
{
    const QString path = parts.files.askOpenFileName(&parts.window, parts.document.FilePath());
    openDocument(parts, path, true);
}

// One argument, no shell: the new process reads it as its whole command line.
void openInNewWindow(const QString& path)
{
    platform::startSecondEditor(path);
}

void newopenfile_Click(const FileCommandParts& parts)
{
    const QString path = parts.files.askOpenFileName(&parts.window, parts.document.FilePath());
    if (path.isEmpty())
        return;
    openInNewWindow(path);
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
                     [parts](const QStringList& paths) {
                         // The first here; each further one in a window of its own, as the
                         // desktop starts one for each of several files.
                         openDocument(parts, paths.first(), false);
                         for (const QString& path : paths.sliced(1))
                             openInNewWindow(path);
                     },
                     Qt::QueuedConnection);
}

bool loadDocumentFile(Document& document, const QString& path, std::optional<TextEncoding> encoding,
                      Reading reading)
{
    BusyPointer busy;
    std::optional<OpenedFile> ahead;
    if (reading == Reading::NewPage && !encoding)
        ahead = takeOpenedAhead(path);
    OpenedFile opened = ahead ? std::move(*ahead) : openFile(path, encoding, reading == Reading::NewPage);
    if (!opened.read)
        return false;
    LoadedDocument doc;
    if (PartReader* reader = opened.reader.get()) {
        const PartReader::Lines& lines = reader->lines();
        const auto partAt = [reader](qsizetype i) { return reader->take(i); };
        if (!lines.separators && lines.longestLine <= longlinepieces::kLongestWholeLine) {
            // What the bytes say is the page's shape: the box takes each part as it is read.
            LineHolding::Shape shape;
            shape.groups = lines.breaks > LineHolding::kGroupFromLines;
            document.model().setText(reader->partCount(), partAt, shape);
        } else {
            QList<QString> parts;
            for (qsizetype i = 0; i < reader->partCount(); ++i)
                parts.append(partAt(i));
            const LineHolding::Shape shape = LineHolding::shapeOf(parts);
            document.model().setText(parts, shape);
        }
        doc.encoding = reader->encoding();
        doc.lineEnding = reader->lineEnding(); // every part read by now
        doc.undecodable = reader->undecodable();
        doc.foreignEncoding = reader->foreignEncoding();
        doc.forms = reader->forms();
        opened.reader.reset();
        document.takeTextAsBaseline(opened.taker->result());
    } else {
        doc = std::move(opened.decoded);
        if (reading == Reading::Again)
            document.model().replaceWholePage(doc.text);
        else
            document.model().setText(doc.text);
        if (TextModel::holdsTextAsGiven(doc.text))
            document.takeTextAsBaseline(std::move(doc.text));
        else
            document.takeTextAsBaseline();
    }
    document.setEncoding(doc.encoding);
    document.setByteForms(std::move(doc.forms));
    document.setUndecodable(doc.undecodable);
    document.setForeignEncoding(doc.foreignEncoding);
    document.setLineEnding(doc.lineEnding);
    opened.asRead.encoding = doc.encoding;
    opened.asRead.lineEnding = doc.lineEnding;
    document.setOriginalFile(std::move(opened.asRead));
    document.setFilePath(path);
    document.setDiskStamp(opened.stamp);
    document.announceLoaded();
    return true;
}
