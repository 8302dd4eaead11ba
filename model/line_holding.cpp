#include "model/line_holding.h"

#include "text/line_breaks.h"
#include "text/long_line_pieces.h"

#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {
constexpr int kSoftBreakMark = QTextFormat::UserProperty + 1;
constexpr int kOwnSeparatorMark = QTextFormat::UserProperty + 2;
constexpr int kOwnBreakMark = QTextFormat::UserProperty + 3; // the character, as an int
// A group ends after this many lines, or before it would pass this many characters, so
// typing in it lays out little.
constexpr int kGroupLines = 8;
constexpr qsizetype kGroupCharacters = 4096;
// The document takes a large page in parts of about this size, each converted on its own.
constexpr qsizetype kPartCharacters = 1 << 20;

// Characters the document makes a block separator of, whatever the text means by them.
bool isOwnBreak(QChar c)
{
    return c == QChar::ParagraphSeparator || c.unicode() == 0xFDD0 || c.unicode() == 0xFDD1;
}

// What stands before a block: a real line break, a soft break, or a character of the text.
enum class Before { LineBreak, SoftBreak, OwnCharacter };

Before before(const QTextBlockFormat& format)
{
    if (format.boolProperty(kSoftBreakMark))
        return Before::SoftBreak;
    return format.hasProperty(kOwnBreakMark) ? Before::OwnCharacter : Before::LineBreak;
}

QTextBlockFormat marked(QTextBlockFormat format, Before kind, char16_t character = 0)
{
    format.clearProperty(kSoftBreakMark);
    format.clearProperty(kOwnBreakMark);
    if (kind == Before::SoftBreak)
        format.setProperty(kSoftBreakMark, true);
    else if (kind == Before::OwnCharacter)
        format.setProperty(kOwnBreakMark, int(character));
    return format;
}

qsizetype countBefore(const QList<int>& sorted, int position)
{
    return std::lower_bound(sorted.cbegin(), sorted.cend(), position) - sorted.cbegin();
}

bool contains(const QList<int>& sorted, int position)
{
    return std::binary_search(sorted.cbegin(), sorted.cend(), position);
}
}

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
    // Undo off, and the breaks put into the text before the document sees it: a document of
    // one line that stays one block is laid out whole at once, before it could be split.
    m_document->setUndoRedoEnabled(false);
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
    m_document->setUndoRedoEnabled(true);
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

const LineHolding::Index& LineHolding::index() const
{
    if (m_indexValid)
        return m_index;
    m_index = Index();
    if (m_pieces || m_ownBreaks) {
        // Blocks of one format share its index: the format itself is looked at once per kind.
        QHash<int, std::pair<Before, char16_t>> kinds;
        for (QTextBlock block = m_document->begin().next(); block.isValid(); block = block.next()) {
            auto kind = kinds.constFind(block.blockFormatIndex());
            if (kind == kinds.cend()) {
                const QTextBlockFormat format = block.blockFormat();
                kind = kinds.insert(block.blockFormatIndex(),
                                    {before(format), char16_t(format.intProperty(kOwnBreakMark))});
            }
            if (kind->first == Before::SoftBreak) {
                m_index.softBreaks.append(block.position() - 1);
            } else if (kind->first == Before::OwnCharacter) {
                m_index.ownBreaks.append(block.position() - 1);
                m_index.ownBreakCharacters.append(kind->second);
            }
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
        for (qsizetype i = raw.indexOf(QChar::LineSeparator); i >= 0; i = raw.indexOf(QChar::LineSeparator, i + 1)) {
            if (!contains(m_index.ownSeparators, int(i)))
                m_index.separators.append(int(i));
        }
    }
    m_indexValid = true;
    return m_index;
}

bool LineHolding::followsSoftBreak(const QTextBlock& block)
{
    return block.isValid() && block.blockNumber() > 0 && before(block.blockFormat()) == Before::SoftBreak;
}

bool LineHolding::startsLine(const QTextBlock& block)
{
    return block.blockNumber() == 0 || before(block.blockFormat()) == Before::LineBreak;
}

bool LineHolding::isGroupSeparator(int boxPosition) const
{
    return m_grouped && !(m_ownSeparators && contains(index().ownSeparators, boxPosition));
}

QString LineHolding::text(int from, int to, QStringView lineBreak) const
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
    const bool grouped = m_grouped;
    const auto isSeparator = [grouped](QChar c) {
        return c == QChar::ParagraphSeparator || (grouped && c == QChar::LineSeparator);
    };
    if (!m_pieces && !m_ownSeparators && !m_ownBreaks) {
        // Every separator is a line break: one pass into a buffer of the final size.
        const qsizetype breaks = std::count_if(raw.cbegin(), raw.cend(), isSeparator);
        if (breaks == 0)
            return raw;
        QString out(raw.size() + breaks * (lineBreak.size() - 1), Qt::Uninitialized);
        QChar* write = out.data();
        for (const QChar c : std::as_const(raw)) {
            if (isSeparator(c)) {
                for (const QChar b : lineBreak)
                    *write++ = b;
            } else {
                *write++ = c;
            }
        }
        return out;
    }
    const Index& at = index();
    QString out;
    out.reserve(raw.size() + raw.size() / 16 * (lineBreak.size() - 1) + 16);
    qsizetype copied = 0;
    const qsizetype n = raw.size();
    const QChar* chars = raw.constData();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = chars[i];
        if (!isSeparator(c))
            continue;
        const int position = from + int(i);
        if (c == QChar::LineSeparator && contains(at.ownSeparators, position))
            continue; // the text's own character
        out.append(QStringView(raw).sliced(copied, i - copied));
        copied = i + 1;
        if (c == QChar::ParagraphSeparator) {
            if (contains(at.softBreaks, position))
                continue;
            const auto own = std::lower_bound(at.ownBreaks.cbegin(), at.ownBreaks.cend(), position);
            if (own != at.ownBreaks.cend() && *own == position) {
                out.append(QChar(at.ownBreakCharacters[own - at.ownBreaks.cbegin()]));
                continue;
            }
        }
        out.append(lineBreak);
    }
    out.append(QStringView(raw).sliced(copied));
    return out;
}

qsizetype LineHolding::toText(int boxPosition) const
{
    if (!m_pieces)
        return boxPosition;
    return boxPosition - countBefore(index().softBreaks, boxPosition);
}

int LineHolding::toBox(qsizetype textPosition) const
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

qsizetype LineHolding::softBreakCount() const
{
    return m_pieces ? index().softBreaks.size() : 0;
}

int LineHolding::lineCount() const
{
    const Index& at = index();
    return m_document->blockCount() - int(at.softBreaks.size() + at.ownBreaks.size() - at.separators.size());
}

int LineHolding::lineAt(int boxPosition) const
{
    const Index& at = index();
    const int blockNumber = m_document->findBlock(boxPosition).blockNumber();
    return blockNumber + 1
        - int(countBefore(at.softBreaks, boxPosition) + countBefore(at.ownBreaks, boxPosition)
              - countBefore(at.separators, boxPosition));
}

int LineHolding::lineStart(int line) const
{
    const Index& at = index();
    if (at.softBreaks.isEmpty() && at.ownBreaks.isEmpty() && at.separators.isEmpty())
        return m_document->findBlockByNumber(line - 1).position();
    // Lines start at blocks after a real break and after each separator inside a block.
    int started = 0;
    auto separator = at.separators.cbegin();
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
        const bool startsLine = block == m_document->begin() || before(block.blockFormat()) == Before::LineBreak;
        if (startsLine && ++started == line)
            return block.position();
        const int end = block.position() + block.length();
        for (; separator != at.separators.cend() && *separator < end; ++separator) {
            if (++started == line)
                return *separator + 1;
        }
    }
    return m_document->characterCount() - 1;
}

std::pair<int, int> LineHolding::lineAround(int boxPosition, int limit) const
{
    // Backwards to a real break or a group separator, then forwards likewise.
    QTextBlock block = m_document->findBlock(boxPosition);
    int start = boxPosition;
    for (;;) {
        const QString text = block.text();
        int i = start - block.position();
        while (i > 0 && boxPosition - start < limit
               && !(text[i - 1] == QChar::LineSeparator && isGroupSeparator(block.position() + i - 1))) {
            --i;
            --start;
        }
        if (i > 0 || boxPosition - start >= limit || !block.previous().isValid()
            || before(block.blockFormat()) == Before::LineBreak)
            break;
        block = block.previous();
        start = block.position() + block.length() - 1;
    }
    block = m_document->findBlock(boxPosition);
    int end = boxPosition;
    for (;;) {
        const QString text = block.text();
        int i = end - block.position();
        while (i < text.size() && end - boxPosition < limit
               && !(text[i] == QChar::LineSeparator && isGroupSeparator(block.position() + i))) {
            ++i;
            ++end;
        }
        const QTextBlock next = block.next();
        if (i < text.size() || end - boxPosition >= limit || !next.isValid()
            || before(next.blockFormat()) == Before::LineBreak)
            break;
        block = next;
        end = block.position();
    }
    return {start, end};
}
