#include "ui/soft_breaks.h"

#include "text/long_line_pieces.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {
constexpr int kSoftBreakMark = QTextFormat::UserProperty + 1;
constexpr int kOwnSeparatorMark = QTextFormat::UserProperty + 2;
// A group ends after this many lines, or before it would pass this many characters, so
// typing in it lays out little.
constexpr int kGroupLines = 8;
constexpr qsizetype kGroupCharacters = 4096;
// The document takes a large page in parts of about this size, each converted on its own.
constexpr qsizetype kPartCharacters = 1 << 20;

// What the document makes a block of, in text it is given.
bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c.unicode() == 0xFDD0
        || c.unicode() == 0xFDD1;
}

QTextBlockFormat marked(QTextBlockFormat format, bool soft)
{
    if (soft)
        format.setProperty(kSoftBreakMark, true);
    else
        format.clearProperty(kSoftBreakMark);
    return format;
}

qsizetype countBefore(const QList<int>& sorted, int position)
{
    return std::lower_bound(sorted.cbegin(), sorted.cend(), position) - sorted.cbegin();
}
}

SoftBreaks::SoftBreaks(QTextDocument* document) : QObject(document), m_document(document)
{
    connect(document, &QTextDocument::contentsChange, this, [this] { m_indexValid = false; });
}

bool SoftBreaks::groupsLines(QStringView crlfText)
{
    return crlfText.count(u'\n') > kGroupFromLines && !crlfText.contains(QChar::LineSeparator);
}

bool SoftBreaks::follows(const QTextBlock& block)
{
    return block.blockFormat().boolProperty(kSoftBreakMark);
}

void SoftBreaks::insertOwnSeparator(QTextCursor& cursor)
{
    QTextCharFormat own = cursor.charFormat();
    own.setProperty(kOwnSeparatorMark, true);
    cursor.insertText(QString(QChar::LineSeparator), own);
    m_ownSeparators = true;
}

void SoftBreaks::insertText(QTextCursor& cursor, const QString& boxText)
{
    cursor.removeSelectedText();
    const bool inPiece = follows(cursor.block());
    const bool hasOwnSeparator = m_grouped && boxText.contains(QChar::LineSeparator);
    if (!inPiece && !hasOwnSeparator) {
        cursor.insertText(boxText);
        return;
    }
    const QTextBlockFormat real = marked(cursor.blockFormat(), false);
    const QTextCharFormat plain = cursor.charFormat();
    qsizetype start = 0;
    for (qsizetype i = 0; i < boxText.size(); ++i) {
        const QChar c = boxText[i];
        if (c != QChar::LineSeparator && !isLineBreak(c))
            continue;
        cursor.insertText(boxText.sliced(start, i - start), plain);
        if (c == QChar::LineSeparator && m_grouped)
            insertOwnSeparator(cursor);
        else if (c == QChar::LineSeparator)
            cursor.insertText(QString(c), plain);
        else
            cursor.insertBlock(real);
        start = i + 1;
    }
    cursor.insertText(boxText.sliced(start), plain);
}

void SoftBreaks::forget()
{
    m_pieces = m_grouped = m_ownSeparators = false;
    m_indexValid = false;
}

void SoftBreaks::setPlainText(QStringView crlfText, bool group)
{
    forget();
    m_grouped = group;
    // Undo off, and the breaks put into the text before the document sees it: a document of
    // one line that stays one block is laid out whole at once, before it could be split.
    m_document->setUndoRedoEnabled(false);
    m_document->clear();
    QTextCursor cursor(m_document);
    cursor.beginEditBlock();
    QList<int> soft;
    QString part;
    part.reserve(std::min(crlfText.size(), kPartCharacters) + 1);
    qsizetype given = 0; // characters handed to the document so far
    const auto handOver = [&] {
        cursor.insertText(part);
        given += part.size();
        part.clear();
    };
    const qsizetype n = crlfText.size();
    qsizetype lineStart = 0;
    qsizetype openSeparator = -1; // in `part`: a line separator that may yet have to end a group
    int groupLines = 0;
    qsizetype groupCharacters = 0;
    for (;;) {
        qsizetype end = lineStart;
        while (end < n && !isLineBreak(crlfText[end]))
            ++end;
        const QStringView line = crlfText.sliced(lineStart, end - lineStart);
        const QList<qsizetype> pieces = longlinepieces::pieceStarts(line);
        if (openSeparator >= 0
            && (!pieces.isEmpty() || groupLines == kGroupLines || groupCharacters + line.size() > kGroupCharacters)) {
            part[openSeparator] = u'\n';
            groupLines = 0;
            groupCharacters = 0;
            openSeparator = -1;
        }
        if (openSeparator < 0 && part.size() >= kPartCharacters)
            handOver();
        qsizetype copied = 0;
        for (const qsizetype start : pieces) {
            part.append(line.sliced(copied, start - copied));
            soft.append(int(given + part.size()));
            part.append(QChar::ParagraphSeparator);
            copied = start;
        }
        part.append(line.sliced(copied));
        ++groupLines;
        groupCharacters += line.size();
        if (end == n)
            break;
        lineStart = end + (crlfText[end] == u'\r' && end + 1 < n && crlfText[end + 1] == u'\n' ? 2 : 1);
        if (group && pieces.isEmpty() && (crlfText[end] == u'\r' || crlfText[end] == u'\n')) {
            openSeparator = part.size();
            part.append(QChar::LineSeparator);
        } else {
            part.append(u'\n');
            groupLines = 0;
            groupCharacters = 0;
            openSeparator = -1;
        }
    }
    handOver();
    for (const int position : soft) {
        cursor.setPosition(position + 1);
        cursor.setBlockFormat(marked(cursor.blockFormat(), true));
    }
    m_pieces = !soft.isEmpty();
    // One edit block: the document is laid out after all of it, not part by part.
    cursor.endEditBlock();
    m_document->setUndoRedoEnabled(true);
}

void SoftBreaks::split(int from, int to)
{
    QList<QTextBlock> tooLong;
    for (QTextBlock block = m_document->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        if (block.length() - 1 > longlinepieces::kLongestWholeLine)
            tooLong.append(block);
    }
    // The last first, so the positions of those before stay as they were.
    QTextCursor cursor(m_document);
    for (auto block = tooLong.crbegin(); block != tooLong.crend(); ++block) {
        const QList<qsizetype> starts = longlinepieces::pieceStarts(block->text());
        const QTextBlockFormat soft = marked(block->blockFormat(), true);
        const int position = block->position();
        for (auto start = starts.crbegin(); start != starts.crend(); ++start) {
            cursor.setPosition(position + int(*start));
            cursor.insertBlock(soft);
        }
        m_pieces = m_pieces || !starts.isEmpty();
    }
}

const SoftBreaks::Index& SoftBreaks::index() const
{
    if (m_indexValid)
        return m_index;
    m_index = Index();
    if (m_pieces) {
        // Blocks of one format share its index: the format itself is looked at once per kind.
        int plainIndex = -1;
        int softIndex = -1;
        for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
            const int formatIndex = block.blockFormatIndex();
            bool soft = formatIndex == softIndex;
            if (!soft && formatIndex != plainIndex) {
                soft = follows(block);
                (soft ? softIndex : plainIndex) = formatIndex;
            }
            if (soft)
                m_index.softBreaks.append(block.position() - 1);
        }
    }
    if (m_ownSeparators) {
        for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                if (!fragment.charFormat().boolProperty(kOwnSeparatorMark))
                    continue;
                const QString text = fragment.text();
                for (qsizetype i = 0; i < text.size(); ++i) {
                    if (text[i] == QChar::LineSeparator)
                        m_index.ownSeparators.append(fragment.position() + int(i));
                }
            }
        }
    }
    if (m_grouped) {
        const QString raw = m_document->toRawText();
        auto own = m_index.ownSeparators.cbegin();
        for (qsizetype i = raw.indexOf(QChar::LineSeparator); i >= 0; i = raw.indexOf(QChar::LineSeparator, i + 1)) {
            while (own != m_index.ownSeparators.cend() && *own < i)
                ++own;
            if (own == m_index.ownSeparators.cend() || *own != i)
                m_index.separators.append(int(i));
        }
    }
    m_indexValid = true;
    return m_index;
}

QString SoftBreaks::text(int from, int to, QStringView lineBreak) const
{
    QString raw;
    if (from == 0 && to >= m_document->characterCount() - 1) {
        raw = m_document->toRawText();
    } else {
        QTextCursor range(m_document);
        range.setPosition(from);
        range.setPosition(to, QTextCursor::KeepAnchor);
        raw = range.selectedText();
    }
    if (!m_pieces && !m_ownSeparators) {
        // Every separator is a line break: one pass into a buffer of the final size.
        const bool grouped = m_grouped;
        const auto isBreak = [grouped](QChar c) {
            return c == QChar::ParagraphSeparator || (grouped && c == QChar::LineSeparator);
        };
        const qsizetype breaks = std::count_if(raw.cbegin(), raw.cend(), isBreak);
        if (breaks == 0)
            return raw;
        QString out(raw.size() + breaks * (lineBreak.size() - 1), Qt::Uninitialized);
        QChar* write = out.data();
        for (const QChar c : std::as_const(raw)) {
            if (isBreak(c)) {
                for (const QChar b : lineBreak)
                    *write++ = b;
            } else {
                *write++ = c;
            }
        }
        return out;
    }
    const QList<int>& soft = index().softBreaks;
    const QList<int>& own = index().ownSeparators;
    auto nextSoft = std::lower_bound(soft.cbegin(), soft.cend(), from);
    auto nextOwn = std::lower_bound(own.cbegin(), own.cend(), from);
    QString out;
    out.reserve(raw.size() + raw.size() / 16 * (lineBreak.size() - 1) + 16);
    qsizetype copied = 0;
    const qsizetype n = raw.size();
    const QChar* chars = raw.constData();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = chars[i];
        if (c != QChar::ParagraphSeparator && (c != QChar::LineSeparator || !m_grouped))
            continue;
        const int at = from + int(i);
        if (c == QChar::LineSeparator) {
            while (nextOwn != own.cend() && *nextOwn < at)
                ++nextOwn;
            if (nextOwn != own.cend() && *nextOwn == at)
                continue; // the text's own character
        }
        out.append(QStringView(raw).sliced(copied, i - copied));
        copied = i + 1;
        if (c == QChar::ParagraphSeparator) {
            while (nextSoft != soft.cend() && *nextSoft < at)
                ++nextSoft;
            if (nextSoft != soft.cend() && *nextSoft == at)
                continue;
        }
        out.append(lineBreak);
    }
    out.append(QStringView(raw).sliced(copied));
    return out;
}

qsizetype SoftBreaks::toText(int boxPosition) const
{
    if (!m_pieces)
        return boxPosition;
    return boxPosition - countBefore(index().softBreaks, boxPosition);
}

int SoftBreaks::toBox(qsizetype textPosition) const
{
    if (!m_pieces)
        return int(textPosition);
    // The i-th soft break stands at text position softBreaks[i] - i.
    const QList<int>& soft = index().softBreaks;
    qsizetype before = 0;
    qsizetype after = soft.size();
    while (before < after) {
        const qsizetype middle = (before + after) / 2;
        if (soft[middle] - middle < textPosition)
            before = middle + 1;
        else
            after = middle;
    }
    return int(textPosition + before);
}

int SoftBreaks::lineCount() const
{
    const Index& at = index();
    return m_document->blockCount() - int(at.softBreaks.size()) + int(at.separators.size());
}

int SoftBreaks::lineAt(int boxPosition) const
{
    const Index& at = index();
    const int blockNumber = m_document->findBlock(boxPosition).blockNumber();
    return blockNumber + 1 - int(countBefore(at.softBreaks, boxPosition))
        + int(countBefore(at.separators, boxPosition));
}

int SoftBreaks::lineStart(int line) const
{
    const Index& at = index();
    if (at.softBreaks.isEmpty() && at.separators.isEmpty())
        return m_document->findBlockByNumber(line - 1).position();
    // Lines start at blocks after a real break and after each separator inside a block.
    int started = 0;
    auto separator = at.separators.cbegin();
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
        if (!follows(block) && ++started == line)
            return block.position();
        const int end = block.position() + block.length();
        for (; separator != at.separators.cend() && *separator < end; ++separator) {
            if (++started == line)
                return *separator + 1;
        }
    }
    return m_document->characterCount() - 1;
}

bool SoftBreaks::keyPress(QPlainTextEdit& box, QKeyEvent* e)
{
    const Qt::KeyboardModifiers modifiers = e->modifiers() & ~Qt::KeypadModifier;
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if (!any() || box.isReadOnly() || (modifiers != Qt::NoModifier && !(enter && modifiers == Qt::ShiftModifier)))
        return false;
    QTextCursor cursor = box.textCursor();
    if (enter && modifiers == Qt::ShiftModifier) {
        if (!m_grouped)
            return false;
        cursor.beginEditBlock();
        cursor.removeSelectedText();
        insertOwnSeparator(cursor);
        cursor.endEditBlock();
    } else if (cursor.hasSelection()) {
        return false;
    } else if (e->key() == Qt::Key_Backspace) {
        if (!cursor.atBlockStart() || !follows(cursor.block()))
            return false;
        while (cursor.atBlockStart() && follows(cursor.block()))
            cursor.movePosition(QTextCursor::PreviousCharacter);
        cursor.deletePreviousChar();
    } else if (e->key() == Qt::Key_Delete) {
        if (!cursor.atBlockEnd() || !follows(cursor.block().next()))
            return false;
        while (cursor.atBlockEnd() && follows(cursor.block().next()))
            cursor.movePosition(QTextCursor::NextCharacter);
        cursor.deleteChar();
    } else if (enter) {
        if (!follows(cursor.block()))
            return false;
        // A new block takes the format of the one it is split from, soft mark and all.
        cursor.beginEditBlock();
        cursor.insertBlock(marked(cursor.blockFormat(), false));
        cursor.endEditBlock();
    } else {
        return false;
    }
    box.setTextCursor(cursor);
    box.ensureCursorVisible();
    return true;
}
