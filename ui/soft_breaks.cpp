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

// What the document makes a block of, in text the box has turned its CR LF into LF.
bool isLineBreak(QChar c)
{
    return c == u'\n' || c == QChar::ParagraphSeparator || c.unicode() == 0xFDD0 || c.unicode() == 0xFDD1;
}

QTextBlockFormat marked(QTextBlockFormat format, bool soft)
{
    if (soft)
        format.setProperty(kSoftBreakMark, true);
    else
        format.clearProperty(kSoftBreakMark);
    return format;
}
}

SoftBreaks::SoftBreaks(QTextDocument* document) : QObject(document), m_document(document)
{
    connect(document, &QTextDocument::contentsChange, this, [this] { m_indexValid = false; });
}

bool SoftBreaks::follows(const QTextBlock& block)
{
    return block.blockFormat().boolProperty(kSoftBreakMark);
}

void SoftBreaks::insertText(QTextCursor& cursor, const QString& boxText)
{
    cursor.removeSelectedText();
    if (!follows(cursor.block())) {
        cursor.insertText(boxText);
        return;
    }
    const QTextBlockFormat real = marked(cursor.blockFormat(), false);
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < boxText.size(); ++i) {
        if (!isLineBreak(boxText[i]))
            continue;
        cursor.insertText(boxText.sliced(lineStart, i - lineStart));
        cursor.insertBlock(real);
        lineStart = i + 1;
    }
    cursor.insertText(boxText.sliced(lineStart));
}

void SoftBreaks::forget()
{
    m_any = false;
    m_indexValid = false;
}

void SoftBreaks::setPlainText(const QString& boxText)
{
    // The breaks go into the text before the document sees it: a document of one line that
    // stays one block is laid out whole at once, before it could be split.
    QString pieced;
    QList<int> soft;
    qsizetype copied = 0;
    qsizetype lineStart = 0;
    const qsizetype n = boxText.size();
    for (qsizetype i = 0; i <= n; ++i) {
        if (i < n) {
            if (!isLineBreak(boxText[i]))
                continue;
        }
        const QStringView line = QStringView(boxText).sliced(lineStart, i - lineStart);
        for (const qsizetype start : longlinepieces::pieceStarts(line)) {
            if (pieced.isEmpty())
                pieced.reserve(n + n / longlinepieces::kPieceLength * 2 + 1);
            pieced.append(QStringView(boxText).sliced(copied, lineStart + start - copied));
            soft.append(int(pieced.size()));
            pieced.append(QChar::ParagraphSeparator);
            copied = lineStart + start;
        }
        lineStart = i + 1;
    }
    if (soft.isEmpty()) {
        m_document->setPlainText(boxText);
    } else {
        pieced.append(QStringView(boxText).sliced(copied));
        m_document->setPlainText(pieced);
    }
    m_any = !soft.isEmpty();
    m_indexValid = false;
    if (soft.isEmpty())
        return;
    // One edit block: the document is laid out after the marks, not once per mark.
    m_document->setUndoRedoEnabled(false);
    QTextCursor cursor(m_document);
    cursor.beginEditBlock();
    for (const int position : soft) {
        cursor.setPosition(position + 1);
        cursor.setBlockFormat(marked(cursor.blockFormat(), true));
    }
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
        m_any = m_any || !starts.isEmpty();
    }
}

const SoftBreaks::Index& SoftBreaks::index() const
{
    if (m_indexValid)
        return m_index;
    m_index = Index();
    if (m_any) {
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
            if (soft) {
                m_index.positions.append(block.position() - 1);
                m_index.blocks.append(block.blockNumber());
            }
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
    const qsizetype breaks = raw.count(QChar::ParagraphSeparator);
    if (breaks == 0)
        return raw;
    const QList<int>& soft = index().positions;
    auto nextSoft = std::lower_bound(soft.cbegin(), soft.cend(), from);
    QString out;
    out.reserve(raw.size() + breaks * (lineBreak.size() - 1));
    qsizetype copied = 0;
    for (qsizetype i = raw.indexOf(QChar::ParagraphSeparator); i >= 0;
         i = raw.indexOf(QChar::ParagraphSeparator, i + 1)) {
        out.append(QStringView(raw).sliced(copied, i - copied));
        copied = i + 1;
        while (nextSoft != soft.cend() && *nextSoft < from + i)
            ++nextSoft;
        if (nextSoft != soft.cend() && *nextSoft == from + i)
            continue;
        out.append(lineBreak);
    }
    out.append(QStringView(raw).sliced(copied));
    return out;
}

qsizetype SoftBreaks::toText(int boxPosition) const
{
    const QList<int>& soft = index().positions;
    return boxPosition - (std::lower_bound(soft.cbegin(), soft.cend(), boxPosition) - soft.cbegin());
}

int SoftBreaks::toBox(qsizetype textPosition) const
{
    // The i-th soft break stands at text position positions[i] - i.
    const QList<int>& soft = index().positions;
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
    return m_document->blockCount() - int(index().positions.size());
}

int SoftBreaks::lineAt(int boxPosition) const
{
    const QList<int>& soft = index().positions;
    const int blockNumber = m_document->findBlock(boxPosition).blockNumber();
    return blockNumber + 1 - int(std::lower_bound(soft.cbegin(), soft.cend(), boxPosition) - soft.cbegin());
}

int SoftBreaks::lineStart(int line) const
{
    int blockNumber = line - 1;
    for (const int soft : index().blocks) {
        if (soft > blockNumber)
            break;
        ++blockNumber;
    }
    return m_document->findBlockByNumber(blockNumber).position();
}

bool SoftBreaks::keyPress(QPlainTextEdit& box, QKeyEvent* e)
{
    if (!m_any || box.isReadOnly() || (e->modifiers() & ~Qt::KeypadModifier))
        return false;
    QTextCursor cursor = box.textCursor();
    if (cursor.hasSelection())
        return false;
    switch (e->key()) {
    case Qt::Key_Backspace:
        if (!cursor.atBlockStart() || !follows(cursor.block()))
            return false;
        while (cursor.atBlockStart() && follows(cursor.block()))
            cursor.movePosition(QTextCursor::PreviousCharacter);
        cursor.deletePreviousChar();
        break;
    case Qt::Key_Delete:
        if (!cursor.atBlockEnd() || !follows(cursor.block().next()))
            return false;
        while (cursor.atBlockEnd() && follows(cursor.block().next()))
            cursor.movePosition(QTextCursor::NextCharacter);
        cursor.deleteChar();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        if (!follows(cursor.block()))
            return false;
        // A new block takes the format of the one it is split from, soft mark and all.
        cursor.beginEditBlock();
        cursor.insertBlock(marked(cursor.blockFormat(), false));
        cursor.endEditBlock();
        break;
    }
    default:
        return false;
    }
    box.setTextCursor(cursor);
    box.ensureCursorVisible();
    return true;
}
