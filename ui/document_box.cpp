#include "ui/document_box.h"

#include "text/long_line_pieces.h"
#include "ui/soft_breaks.h"

#include <QDropEvent>
#include <QFont>
#include <QKeyEvent>
#include <QMimeData>
#include <QResizeEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

DocumentBox::DocumentBox(QWidget* parent) : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("editwindow"));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setMouseTracking(true);
    setAcceptDrops(true);
    m_softBreaks = new SoftBreaks(document());
    connect(document(), &QTextDocument::contentsChanged, this, [this] { m_lastRead = ReadSelection(); });
}

bool DocumentBox::isEmpty() const
{
    return document()->isEmpty();
}

QString DocumentBox::documentText() const
{
    return m_softBreaks->text(0, document()->characterCount() - 1, u"\r\n");
}

QString DocumentBox::toBoxText(const QString& crlfText)
{
    if (!crlfText.contains(u'\r'))
        return crlfText;
    QString text(crlfText.size(), Qt::Uninitialized);
    QChar* to = text.data();
    const QChar* from = crlfText.constData();
    const QChar* const end = from + crlfText.size();
    for (; from != end; ++from) {
        if (*from == u'\r') {
            *to++ = u'\n';
            if (from + 1 != end && from[1] == u'\n')
                ++from;
        } else {
            *to++ = *from;
        }
    }
    text.truncate(to - text.constData());
    return text;
}

bool DocumentBox::holdsTextAsGiven(QStringView crlfText)
{
    const qsizetype n = crlfText.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = crlfText[i].unicode();
        if (c == u'\r') {
            if (i + 1 == n || crlfText[i + 1] != u'\n')
                return false;
            ++i;
        } else if (c == u'\n' || c == QChar::ParagraphSeparator || c == 0xFDD0 || c == 0xFDD1) {
            return false;
        }
    }
    return true;
}

void DocumentBox::setDocumentText(const QString& crlfText)
{
    // Wrapping goes on before pieces arrive and off after they go, so neither page is laid
    // out again under the other's settings.
    const bool pieces = longlinepieces::needsPieces(crlfText);
    if (pieces)
        showWrapped(true);
    QTextDocument* doc = document();
    const bool groups = SoftBreaks::groupsLines(crlfText);
    if (pieces || groups) {
        m_softBreaks->setPlainText(crlfText, groups); // the undo history starts again
    } else {
        // Straight into the document: the box's own setPlainText makes a second pass over
        // the whole new text to give it the caret's format, the default one anyway.
        doc->setPlainText(crlfText);
        m_softBreaks->forget();
    }
    doc->setModified(false);
    setTextCursor(QTextCursor(doc));
    if (!pieces)
        showWrapped(false);
}

QString DocumentBox::readSelection() const
{
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return QString();
    if (m_lastRead.anchor != cursor.anchor() || m_lastRead.position != cursor.position()) {
        m_lastRead.text = m_softBreaks->text(cursor.selectionStart(), cursor.selectionEnd(), u"\r\n");
        m_lastRead.anchor = cursor.anchor();
        m_lastRead.position = cursor.position();
    }
    return m_lastRead.text;
}

bool DocumentBox::wrapsLastRead(const QString& crlfText, qsizetype* openingLength) const
{
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection() || m_lastRead.anchor != cursor.anchor()
        || m_lastRead.position != cursor.position())
        return false;
    const QString& selected = m_lastRead.text;
    if (selected.size() < 4096 || crlfText.size() < selected.size())
        return false; // small: replacing it whole costs nothing
    // Markup put around a selection is short; look for the selection near the front.
    const qsizetype lastStart = qMin<qsizetype>(crlfText.size() - selected.size(), 64 * 1024);
    const QStringView text(crlfText);
    for (qsizetype k = 0; k <= lastStart; ++k) {
        if (text[k] == selected[0] && text.sliced(k, selected.size()) == selected) {
            *openingLength = k;
            return true;
        }
    }
    return false;
}

void DocumentBox::replaceSelection(const QString& crlfText)
{
    QTextCursor cursor = textCursor();
    qsizetype openingLength = 0;
    if (wrapsLastRead(crlfText, &openingLength)) {
        // The new text is the selection with something around it: insert the two ends and
        // leave the selected text where it is. Same result, one undo step, and a wrap of a
        // large selection does not rebuild its lines.
        const int start = cursor.selectionStart();
        const int end = cursor.selectionEnd();
        const QString opening = toBoxText(crlfText.left(openingLength));
        const QString closing = toBoxText(crlfText.sliced(openingLength + m_lastRead.text.size()));
        cursor.beginEditBlock();
        cursor.setPosition(end);
        m_softBreaks->insertText(cursor, closing);
        cursor.setPosition(start);
        m_softBreaks->insertText(cursor, opening);
        cursor.setPosition(int(end + opening.size() + closing.size()));
        m_softBreaks->split(start, cursor.position());
        cursor.endEditBlock();
    } else {
        const int start = cursor.selectionStart();
        cursor.beginEditBlock();
        m_softBreaks->insertText(cursor, toBoxText(crlfText));
        m_softBreaks->split(start, cursor.position());
        cursor.endEditBlock();
    }
    if (m_softBreaks->hasPieces())
        showWrapped(true);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void DocumentBox::replaceSelection(const TextChanges& changes)
{
    QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    QTextCursor end(document());
    end.setPosition(cursor.selectionEnd());
    // Box positions first: the soft breaks are counted on the text as it stands.
    const qsizetype textStart = m_softBreaks->toText(start);
    QList<std::pair<int, int>> ranges;
    ranges.reserve(changes.size());
    for (const TextChange& change : changes)
        ranges.append({m_softBreaks->toBox(textStart + change.start),
                       m_softBreaks->toBox(textStart + change.start + change.length)});
    cursor.beginEditBlock();
    for (qsizetype i = changes.size() - 1; i >= 0; --i) {
        // The last first, so the positions of those before it still hold.
        cursor.setPosition(ranges[i].first);
        cursor.setPosition(ranges[i].second, QTextCursor::KeepAnchor);
        m_softBreaks->insertText(cursor, toBoxText(changes[i].text));
    }
    m_softBreaks->split(start, end.position());
    cursor.endEditBlock();
    if (m_softBreaks->hasPieces())
        showWrapped(true);
    cursor.setPosition(end.position());
    setTextCursor(cursor);
    ensureCursorVisible();
}

void DocumentBox::showWrapped(bool wrapped)
{
    if (wrapped) {
        setWordWrapMode(QTextOption::WrapAnywhere);
        setLineWrapMode(WidgetWidth);
    } else {
        setLineWrapMode(NoWrap);
    }
}

bool DocumentBox::event(QEvent* e)
{
    // The window's own Cut, Copy and Paste commands own these keys; the box would otherwise
    // claim them before the window's shortcuts see them.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->matches(QKeySequence::Cut) || key->matches(QKeySequence::Copy)
            || key->matches(QKeySequence::Paste)) {
            e->ignore();
            return true;
        }
    }
    return QPlainTextEdit::event(e);
}

void DocumentBox::keyPressEvent(QKeyEvent* e)
{
    if (!m_softBreaks->keyPress(*this, e))
        QPlainTextEdit::keyPressEvent(e);
}

QMimeData* DocumentBox::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    auto* mime = new QMimeData;
    mime->setText(m_softBreaks->text(cursor.selectionStart(), cursor.selectionEnd(), u"\n"));
    return mime;
}

void DocumentBox::resizeEvent(QResizeEvent* e)
{
    // Lines are never wrapped, so the box's width plays no part in their layout. Passing a
    // new width on to the document makes Qt give every line a layout object of its own: on
    // a large page a few hundred megabytes, and a second layout of a very long line.
    if (lineWrapMode() == NoWrap && e->oldSize().width() != e->size().width()) {
        QResizeEvent sameWidth(e->size(), QSize(e->size().width(), e->oldSize().height()));
        QPlainTextEdit::resizeEvent(&sameWidth);
        return;
    }
    QPlainTextEdit::resizeEvent(e);
}

QStringList DocumentBox::localFiles(const QMimeData* source)
{
    QStringList paths;
    if (!source || !source->hasUrls())
        return paths;
    for (const QUrl& url : source->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    return paths;
}

void DocumentBox::dragEnterEvent(QDragEnterEvent* e)
{
    if (localFiles(e->mimeData()).isEmpty()) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
}

void DocumentBox::dragMoveEvent(QDragMoveEvent* e)
{
    if (localFiles(e->mimeData()).isEmpty()) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
}

void DocumentBox::dropEvent(QDropEvent* e)
{

    const QStringList paths = localFiles(e->mimeData());
    if (paths.isEmpty()) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
    Q_EMIT filesDropped(paths);
}

namespace {
// Only text that was put there as text: QMimeData would offer a bare URL list as text too.
bool holdsPlainText(const QMimeData* source)
{
    return source
        && (source->hasFormat(QStringLiteral("text/plain"))
            || source->hasFormat(QStringLiteral("text/plain;charset=utf-8")));
}
}

bool DocumentBox::canInsertFromMimeData(const QMimeData* source) const
{
    return holdsPlainText(source);
}

void DocumentBox::insertFromMimeData(const QMimeData* source)
{
    if (!holdsPlainText(source) || isReadOnly())
        return;
    replaceSelection(source->text());
}
