#include "app/document_box.h"
#include "ui/busy_pointer.h"
#include "app/document_file.h"
#include "app/file_controler.h"
#include "app/main_window.h"
#include "app/paths.h"
#include "app/subsystems.h"
#include "platform/launcher.h"
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


bool mayDiscardDocument(HtmlE& window)
{
    if (!window.hasUnsavedChanges())
        return true;
    return askYesNo(&window, kTitle, kDiscardQuestion, MessageIcon::Information, false);
}

enum class UnencodableChoice { CharacterReferences, Utf8, Cancel };

UnencodableChoice askAboutUnencodable(HtmlE& window, const EncodedText& report, bool undecodable)
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
bool saveDocumentTo(HtmlE& window, const QString& path)
{
    WindowState& state = window.state();
    const QString text = window.editwindow()->documentText();
    TextEncoding encoding = state.encoding;
    EncodedText encoded = encodeDocument(text, encoding, state.lineEnding);
    if (encoded.unencodableCount > 0) {
        switch (askAboutUnencodable(window, encoded, state.undecodable)) {
        case UnencodableChoice::Cancel:
            return false;
        case UnencodableChoice::CharacterReferences:
            encoded = encodeDocument(text, encoding, state.lineEnding, Unencodable::CharacterReferences);
            break;
        case UnencodableChoice::Utf8:
            encoding = TextEncoding::Utf8;
            encoded = encodeDocument(text, encoding, state.lineEnding);
            break;
        }
    }

    bool written = false;
    {
        BusyPointer busy;
        written = writeWholeFile(path, encoded.bytes);
    }
    if (!written) {
        tellUser(&window, kTitle, kWriteFailed, MessageIcon::Exclamation);
        return false;
    }
    state.encoding = encoding;
    state.undecodable = false; // what is on disk now is what the box shows
    window.takeDocumentAsBaseline(text); // read from the box just now
    return true;
}

// Open and drop: ask before unsaved changes go, then load, and say so when the file
// cannot be read.
void openDocument(HtmlE& window, const QString& path, bool hideBoxWhileLoading)
{
    if (path.isEmpty() || !mayDiscardDocument(window))
        return;
    DocumentBox* box = window.editwindow();
    const bool hadFocus = box->hasFocus();
    if (hideBoxWhileLoading)
        box->hide();
    const bool loaded = loadDocumentFile(window, path);
    if (hideBoxWhileLoading) {
        box->show();
        if (hadFocus)
            box->setFocus();
    }
    if (!loaded) {
        tellUser(&window, kTitle, kOpenFailed + path, MessageIcon::Exclamation);
        return;
    }
    window.refreshTitle();
}

void newfile_Click(HtmlE& window)
{
    if (!window.editwindow()->isEmpty()) {
        if (!askYesNo(&window, kTitle, kDiscardQuestion, MessageIcon::Information, false))
            return;
        window.setDocument(QString());
    }
    WindowState& state = window.state();
    window.setSaveControlsEnabled(false);
    state.FilePath.clear();
    state.encoding = TextEncoding::Utf8;
    state.lineEnding = LineEnding::CrLf;
    state.undecodable = false;
    programPaths().FileTitle.clear();
    programPaths().TitledPath.clear();
    window.refreshTitle();
}

void openfile_Click(HtmlE& window)
{
    const QString path = window.fileControler().askOpenFileName(&window, window.state().FilePath);
    openDocument(window, path, true);
}

void newopenfile_Click(HtmlE& window)
{
    const QString path = window.fileControler().askOpenFileName(&window, window.state().FilePath);
    if (path.isEmpty())
        return;
    // One argument, no shell: the new process reads it as its whole command line.
    platform::startDetached(platform::runningExecutable(), {path + QStringLiteral(" on")});
}

void SaveFiLE_Click(HtmlE& window)
{
    if (window.state().FilePath.isEmpty())
        return;
    saveDocumentTo(window, window.state().FilePath);
}

void SaveAsFile_Click(HtmlE& window)
{
    const QString path = window.fileControler().askSaveFileName(&window, window.state().FilePath);
    if (path.isEmpty())
        return;
    if (QFileInfo::exists(path)
        && !askYesNo(&window, kTitle, kReplaceQuestion.arg(path), MessageIcon::Exclamation, false))
        return;
    if (!saveDocumentTo(window, path))
        return;
    window.state().FilePath = path;
    window.setSaveControlsEnabled(true);
    window.refreshTitle();
}

}

void installFileCommands(HtmlE& window)
{
    MenuSurface& menus = window.menus();
    menus.onTriggered(QStringLiteral("newfile"), [&window] { newfile_Click(window); });
    menus.onTriggered(QStringLiteral("openfile"), [&window] { openfile_Click(window); });
    menus.onTriggered(QStringLiteral("newopenfile"), [&window] { newopenfile_Click(window); });
    menus.onTriggered(QStringLiteral("SaveFiLE"), [&window] { SaveFiLE_Click(window); });
    menus.onTriggered(QStringLiteral("SaveAsFile"), [&window] { SaveAsFile_Click(window); });
    // Queued: the question and the load run after the drop has been answered, not inside it.
    QObject::connect(window.editwindow(), &DocumentBox::filesDropped, &window,
                     [&window](const QStringList& paths) { openDocument(window, paths.first(), false); },
                     Qt::QueuedConnection);
}

bool loadDocumentFile(HtmlE& window, const QString& path)
{
    BusyPointer busy;
    std::optional<QByteArray> bytes = readWholeFile(path);
    if (!bytes)
        return false;
    LoadedDocument doc = decodeDocument(std::move(*bytes));
    bytes.reset();

    WindowState& state = window.state();
    window.setDocument(doc.text);
    if (DocumentBox::holdsTextAsGiven(doc.text))
        window.takeDocumentAsBaseline(std::move(doc.text));
    else
        window.takeDocumentAsBaseline();
    state.encoding = doc.encoding;
    state.undecodable = doc.undecodable;
    state.lineEnding = doc.lineEnding;
    state.FilePath = path;
    window.setSaveControlsEnabled(true);
    return true;
}
