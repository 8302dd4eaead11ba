#include "model/line_holding.h"

#include "model/line_marks.h"
#include "text/line_breaks.h"
#include "text/long_line_pieces.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {
// A group ends after this many lines, or before it would pass this many characters, so
// typing in it lays out little.
constexpr int kGroupLines = 8;
constexpr qsizetype kGroupCharacters = 4096;
// The document takes a large page in parts of about this size, each converted on its own.
constexpr qsizetype kPartCharacters = 1 << 20;
}

using namespace linemarks;

LineHolding::Shape LineHolding::shapeOf(QStringView text)
{
    Shape shape;
    bool ownSeparator = false;
    qsizetype lines = 0;
    qsizetype lineStart = 0;
    const QChar* chars = text.data();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = chars[i].unicode();
        if (c < 0x2028) {
            if (c != u'\n' && c != u'\r')
                continue;
            shape.pieces = shape.pieces || i - lineStart > longlinepieces::kLongestWholeLine;
            i += linebreak::lengthAt(text, i) - 1;
            ++lines;
            lineStart = i + 1;
        } else if (c == 0x2028) {
            ownSeparator = true;
        } else if (isOwnBreak(QChar(c))) {
            shape.ownBreaks = true;
        }
    }
    shape.pieces = shape.pieces || n - lineStart > longlinepieces::kLongestWholeLine;
    shape.groups = lines > kGroupFromLines && !ownSeparator;
    return shape;
}

bool LineHolding::recountPieces()
{
    if (m_pieces)
        m_pieces = !index().softBreaks.isEmpty();
    return m_pieces;
}

void LineHolding::forget()
{
    m_pieces = m_grouped = m_ownSeparators = m_ownBreaks = false;
    m_indexValid = false;
}

void LineHolding::load(QStringView crlfText, const Shape& shape)
{
    forget();
    m_grouped = shape.groups;
    // The breaks put into the text before the document sees it: a document of
    // one line that stays one block is laid out whole at once, before it could be split.
    m_document->clear();
    QTextCursor cursor(m_document);
    cursor.beginEditBlock();
    QList<int> soft;
    QList<std::pair<int, char16_t>> own;
    QString part;
    part.reserve(std::min(crlfText.size(), kPartCharacters) + 1);
    qsizetype given = 0; // characters handed to the document so far
    const auto handOver = [&] {
        cursor.insertText(part);
        given += part.size();
        part.clear();
    };
    const auto append = [&](QStringView s) {
        if (shape.ownBreaks) {
            for (qsizetype i = 0; i < s.size(); ++i) {
                if (isOwnBreak(s[i]))
                    own.append({int(given + part.size() + i), s[i].unicode()});
            }
        }
        part.append(s);
    };
    const qsizetype n = crlfText.size();
    qsizetype lineStart = 0;
    qsizetype openSeparator = -1; // in `part`: a line separator that may yet have to end a group
    int groupLines = 0;
    qsizetype groupCharacters = 0;
    for (;;) {
        const qsizetype end = linebreak::lineEnd(crlfText, lineStart);
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
            append(line.sliced(copied, start - copied));
            soft.append(int(given + part.size()));
            part.append(QChar::ParagraphSeparator);
            copied = start;
        }
        append(line.sliced(copied));
        ++groupLines;
        groupCharacters += line.size();
        if (end == n)
            break;
        lineStart = end + linebreak::lengthAt(crlfText, end);
        if (m_grouped && pieces.isEmpty()) {
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
        cursor.setBlockFormat(marked(cursor.blockFormat(), Before::SoftBreak));
    }
    for (const auto& [position, character] : own) {
        cursor.setPosition(position + 1);
        cursor.setBlockFormat(marked(cursor.blockFormat(), Before::OwnCharacter, character));
    }
    m_pieces = !soft.isEmpty();
    m_ownBreaks = !own.isEmpty();
    // One edit block: the document is laid out after all of it, not part by part.
    cursor.endEditBlock();
}

void LineHolding::insertOwnSeparator(QTextCursor& cursor)
{
    QTextCharFormat own = cursor.charFormat();
    own.setProperty(kOwnSeparatorMark, true);
    cursor.insertText(QString(QChar::LineSeparator), own);
    m_ownSeparators = true;
}

void LineHolding::insertText(QTextCursor& cursor, QStringView text)
{
    const QTextBlockFormat real = marked(cursor.blockFormat(), Before::LineBreak);
    QTextCharFormat plain = cursor.charFormat();
    plain.clearProperty(kOwnSeparatorMark);
    const bool unmarked = before(cursor.blockFormat()) == Before::LineBreak;
    const auto special = [this](QChar c) { return isOwnBreak(c) || (m_grouped && c == QChar::LineSeparator); };
    if (unmarked && std::none_of(text.cbegin(), text.cend(), special)) {
        // New blocks take this block's format, which has no mark to pass on.
        cursor.insertText(text.toString(), plain);
        return;
    }
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const qsizetype breakLength = linebreak::lengthAt(text, i);
        if (breakLength == 0 && !special(c))
            continue;
        cursor.insertText(text.sliced(start, i - start).toString(), plain);
        if (breakLength > 0) {
            cursor.insertBlock(real);
            i += breakLength - 1;
        } else if (c == QChar::LineSeparator) {
            insertOwnSeparator(cursor);
        } else {
            cursor.insertBlock(marked(real, Before::OwnCharacter, c.unicode()));
            m_ownBreaks = true;
        }
        start = i + 1;
    }
    cursor.insertText(text.sliced(start).toString(), plain);
}

void LineHolding::removeSelected(QTextCursor& cursor)
{
    if (!cursor.hasSelection())
        return;
    const int start = cursor.selectionStart();
    const QTextBlock first = m_document->findBlock(start);
    const bool crossesBlocks = first != m_document->findBlock(cursor.selectionEnd());
    const QTextBlockFormat kept = first.blockFormat();
    cursor.removeSelectedText();
    if (!crossesBlocks)
        return;
    // The merged block starts where the first one did, after the same kind of separator; the
    // document may have given it the format of the last one.
    QTextCursor merged(m_document->findBlock(start));
    if (before(merged.blockFormat()) != before(kept)
        || merged.blockFormat().property(kOwnBreakMark) != kept.property(kOwnBreakMark))
        merged.setBlockFormat(kept);
}

void LineHolding::joinShortLines(int from, int to)
{
    if (!m_pieces)
        return;
    constexpr qsizetype kLongest = longlinepieces::kLongestWholeLine;
    QList<int> softBreaks;
    const int last = m_document->findBlock(to).blockNumber();
    QTextBlock block = m_document->findBlock(from);
    while (block.isValid()) {
        // The line around the block, looked at only as far as it could still be one block.
        qsizetype length = block.length() - 1;
        QTextBlock first = block;
        while (length <= kLongest && followsSoftBreak(first)) {
            first = first.previous();
            length += first.length() - 1;
        }
        QTextBlock end = block;
        while (length <= kLongest && followsSoftBreak(end.next())) {
            end = end.next();
            length += end.length() - 1;
        }
        if (length <= kLongest) {
            for (QTextBlock b = first.next(); b.isValid() && b.blockNumber() <= end.blockNumber(); b = b.next())
                softBreaks.append(b.position() - 1);
        }
        if (end.blockNumber() >= last)
            break;
        block = end.next();
    }
    QTextCursor cursor(m_document);
    for (auto at = softBreaks.crbegin(); at != softBreaks.crend(); ++at) {
        cursor.setPosition(*at);
        cursor.setPosition(*at + 1, QTextCursor::KeepAnchor);
        removeSelected(cursor);
    }
}

void LineHolding::split(int from, int to)
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
        const QTextBlockFormat soft = marked(block->blockFormat(), Before::SoftBreak);
        const int position = block->position();
        for (auto start = starts.crbegin(); start != starts.crend(); ++start) {
            cursor.setPosition(position + int(*start));
            cursor.insertBlock(soft);
        }
        m_pieces = m_pieces || !starts.isEmpty();
    }
}

