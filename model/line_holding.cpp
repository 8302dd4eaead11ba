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

namespace {
// What shapes a page, counted over its parts.
struct ShapeCount {
    LineHolding::Shape shape;
    bool ownSeparator = false;
    qsizetype lines = 0;

    void add(QStringView text)
    {
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
        // A part but the last ends with a break, so this is the page's last line or nothing.
        shape.pieces = shape.pieces || n - lineStart > longlinepieces::kLongestWholeLine;
    }
    LineHolding::Shape result() const
    {
        LineHolding::Shape whole = shape;
        whole.groups = lines > LineHolding::kGroupFromLines && !ownSeparator;
        return whole;
    }
};
}

LineHolding::Shape LineHolding::shapeOf(QStringView text)
{
    ShapeCount count;
    count.add(text);
    return count.result();
}

LineHolding::Shape LineHolding::shapeOf(const QList<QString>& crlfParts)
{
    ShapeCount count;
    for (const QString& part : crlfParts)
        count.add(part);
    return count.result();
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

// Fills the document a page part by part, each part whole lines (the last may end without a
// break); the lines are held as `shape` says.
class LineHolding::Filler {
public:
    Filler(LineHolding& holding, const Shape& shape, qsizetype size)
        : m_holding(holding), m_shape(shape), m_cursor(holding.m_document)
    {
        holding.forget();
        holding.m_grouped = shape.groups;
        // The breaks put into the text before the document sees it: a document of
        // one line that stays one block is laid out whole at once, before it could be split.
        holding.m_document->clear();
        m_cursor = QTextCursor(holding.m_document);
        m_cursor.beginEditBlock();
        m_part.reserve(std::min(size, kPartCharacters) + 1);
    }

    // `last`: the part ends the page, and a break at its end is followed by an empty line.
    void add(QStringView text, bool last)
    {
        const qsizetype n = text.size();
        qsizetype lineStart = 0;
        if (m_lineEnded) {
            startNextLine();
            m_lineEnded = false;
        }
        for (;;) {
            const qsizetype end = linebreak::lineEnd(text, lineStart);
            const QStringView line = text.sliced(lineStart, end - lineStart);
            const QList<qsizetype> pieces = longlinepieces::pieceStarts(line);
            if (m_openSeparator >= 0
                && (!pieces.isEmpty() || m_groupLines == kGroupLines || m_groupCharacters + line.size() > kGroupCharacters)) {
                m_part[m_openSeparator] = u'\n';
                m_groupLines = 0;
                m_groupCharacters = 0;
                m_openSeparator = -1;
            }
            if (m_openSeparator < 0 && m_part.size() >= kPartCharacters)
                handOver();
            qsizetype copied = 0;
            for (const qsizetype start : pieces) {
                append(line.sliced(copied, start - copied));
                m_soft.append(int(m_given + m_part.size()));
                m_part.append(QChar::ParagraphSeparator);
                copied = start;
            }
            append(line.sliced(copied));
            ++m_groupLines;
            m_groupCharacters += line.size();
            m_linePieces = !pieces.isEmpty();
            if (end == n)
                break;
            lineStart = end + linebreak::lengthAt(text, end);
            if (!last && lineStart == n) {
                m_lineEnded = true; // the next part starts the next line
                break;
            }
            startNextLine();
        }
    }

    void finish()
    {
        handOver();
        for (const int position : m_soft) {
            m_cursor.setPosition(position + 1);
            m_cursor.setBlockFormat(marked(m_cursor.blockFormat(), Before::SoftBreak));
        }
        for (const auto& [position, character] : m_own) {
            m_cursor.setPosition(position + 1);
            m_cursor.setBlockFormat(marked(m_cursor.blockFormat(), Before::OwnCharacter, character));
        }
        m_holding.m_pieces = !m_soft.isEmpty();
        m_holding.m_ownBreaks = !m_own.isEmpty();
        // One edit block: the document is laid out after all of it, not part by part.
        m_cursor.endEditBlock();
    }

private:
    void handOver()
    {
        m_cursor.insertText(m_part);
        m_given += m_part.size();
        m_part.truncate(0); // its room is kept for the next part
    }
    void append(QStringView s)
    {
        if (m_shape.ownBreaks) {
            for (qsizetype i = 0; i < s.size(); ++i) {
                if (isOwnBreak(s[i]))
                    m_own.append({int(m_given + m_part.size() + i), s[i].unicode()});
            }
        }
        m_part.append(s);
    }
    // The break after a line: a separator that may yet end the group, or a block separator.
    void startNextLine()
    {
        if (m_holding.m_grouped && !m_linePieces) {
            m_openSeparator = m_part.size();
            m_part.append(QChar::LineSeparator);
        } else {
            m_part.append(u'\n');
            m_groupLines = 0;
            m_groupCharacters = 0;
            m_openSeparator = -1;
        }
    }

    LineHolding& m_holding;
    const Shape m_shape;
    QTextCursor m_cursor;
    QList<int> m_soft;
    QList<std::pair<int, char16_t>> m_own;
    QString m_part;
    qsizetype m_given = 0;          // characters handed to the document so far
    qsizetype m_openSeparator = -1; // in `m_part`: a line separator that may yet have to end a group
    int m_groupLines = 0;
    qsizetype m_groupCharacters = 0;
    bool m_linePieces = false; // the line just added was held in pieces
    bool m_lineEnded = false;  // the part before ended with a break
};

void LineHolding::load(QStringView crlfText, const Shape& shape)
{
    Filler filler(*this, shape, crlfText.size());
    filler.add(crlfText, true);
    filler.finish();
}

void LineHolding::load(qsizetype count, const std::function<QString(qsizetype)>& partAt, const Shape& shape)
{
    Filler filler(*this, shape, kPartCharacters);
    for (qsizetype i = 0; i < count; ++i)
        filler.add(partAt(i), i + 1 == count); // each let go as soon as the document holds it
    filler.finish();
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

