// Reading the text model's document: the index of soft breaks, separators and the text's own
// characters, kept mended through edits, and the text, positions and lines read through it.
#include "model/line_holding.h"

#include "model/line_marks.h"

#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

using namespace linemarks;

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
        // Block by block: a copy of the whole page would double the memory a large page takes.
        m_index.separators.reserve(m_document->blockCount() * 8);
        for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
            const QString text = block.text();
            for (qsizetype i = text.indexOf(QChar::LineSeparator); i >= 0; i = text.indexOf(QChar::LineSeparator, i + 1)) {
                const int at = block.position() + int(i);
                if (!contains(m_index.ownSeparators, at))
                    m_index.separators.append(at);
            }
        }
    }
    m_indexValid = true;
    return m_index;
}

LineHolding::Index LineHolding::scan(int from, int to) const
{
    Index found;
    for (QTextBlock block = m_document->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        const int separator = block.position() - 1;
        if (separator >= from && separator < to) {
            const QTextBlockFormat format = block.blockFormat();
            const Before kind = before(format);
            if (kind == Before::SoftBreak) {
                found.softBreaks.append(separator);
            } else if (kind == Before::OwnCharacter) {
                found.ownBreaks.append(separator);
                found.ownBreakCharacters.append(char16_t(format.intProperty(kOwnBreakMark)));
            }
        }
        if (!m_grouped)
            continue;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() + fragment.length() <= from || fragment.position() >= to)
                continue;
            const QString text = fragment.text();
            const bool own = fragment.charFormat().boolProperty(kOwnSeparatorMark);
            for (qsizetype i = text.indexOf(QChar::LineSeparator); i >= 0; i = text.indexOf(QChar::LineSeparator, i + 1)) {
                const int at = fragment.position() + int(i);
                if (at >= from && at < to)
                    (own ? found.ownSeparators : found.separators).append(at);
            }
        }
    }
    return found;
}

void LineHolding::changed(int position, int removed, int added)
{
    constexpr int kMendUpTo = 1 << 20; // larger changes are rare: the index is built again
    if (!m_indexValid || removed > kMendUpTo || added > kMendUpTo) {
        m_indexValid = false;
        return;
    }
    // A block's mark changes with the block, and stands on the separator before it.
    const int from = qMax(0, position - 1);
    const int oldEnd = position + removed;
    const int delta = added - removed;
    const Index fresh = scan(from, position + added);
    const auto splice = [&](QList<int>& list, const QList<int>& found, QList<char16_t>* characters,
                            const QList<char16_t>* foundCharacters) {
        const qsizetype first = std::lower_bound(list.cbegin(), list.cend(), from) - list.cbegin();
        const qsizetype last = std::lower_bound(list.cbegin(), list.cend(), oldEnd) - list.cbegin();
        // Through the raw ints: the index of a large page holds a separator for each of its
        // lines, and every keystroke moves those after it.
        std::for_each(list.data() + last, list.data() + list.size(), [delta](int& at) { at += delta; });
        list.remove(first, last - first);
        list.insert(first, found.size(), 0);
        std::copy(found.cbegin(), found.cend(), list.begin() + first);
        if (characters) {
            characters->remove(first, last - first);
            characters->insert(first, foundCharacters->size(), 0);
            std::copy(foundCharacters->cbegin(), foundCharacters->cend(), characters->begin() + first);
        }
    };
    splice(m_index.softBreaks, fresh.softBreaks, nullptr, nullptr);
    splice(m_index.ownBreaks, fresh.ownBreaks, &m_index.ownBreakCharacters, &fresh.ownBreakCharacters);
    splice(m_index.separators, fresh.separators, nullptr, nullptr);
    splice(m_index.ownSeparators, fresh.ownSeparators, nullptr, nullptr);
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
    if (separatorsAreBreaks()) {
        // Every separator is a line break: made in place, growing the string read (the
        // allocator moves a large block's pages rather than copying them), the characters
        // moved back to front when the breaks grow.
        const qsizetype breaks = std::count_if(raw.cbegin(), raw.cend(), isSeparator);
        if (breaks == 0)
            return raw;
        const qsizetype n = raw.size();
        const qsizetype grow = lineBreak.size() - 1;
        raw.resize(n + breaks * grow);
        QChar* data = raw.data();
        const auto putBreak = [&lineBreak, data](qsizetype at) {
            for (const QChar b : lineBreak)
                data[at++] = b;
        };
        if (grow <= 0) {
            qsizetype write = 0;
            for (qsizetype read = 0; read < n; ++read) {
                const QChar c = data[read];
                if (isSeparator(c)) {
                    putBreak(write);
                    write += lineBreak.size();
                } else {
                    data[write++] = c;
                }
            }
            raw.truncate(write);
        } else {
            qsizetype write = raw.size();
            for (qsizetype read = n; read-- > 0;) {
                const QChar c = data[read];
                if (isSeparator(c)) {
                    write -= lineBreak.size();
                    putBreak(write);
                } else {
                    data[--write] = c;
                }
            }
        }
        return raw;
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
