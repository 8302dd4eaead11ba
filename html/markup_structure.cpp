#include "html/markup_structure.h"

#include "html/tag_reader.h"

#include <QList>

namespace html {
namespace {

bool sameName(QStringView a, QStringView b) { return sameElementName(a, b); }

// The elements open as the tags are read, a browser's way: an end tag closes the innermost
// open element of its name and every one left open inside it.
class OpenElements {
public:
    // Returns the start tag of the element `tag` closes, if it closes one.
    std::optional<Tag> read(QStringView text, const Tag& tag)
    {
        if (tag.kind == Tag::Start && !isVoidElement(tag.name(text))) {
            m_open.append(tag);
        } else if (tag.kind == Tag::End) {
            for (qsizetype i = m_open.size() - 1; i >= 0; --i) {
                if (sameName(m_open[i].name(text), tag.name(text))) {
                    const Tag start = m_open[i];
                    m_open.resize(i);
                    return start;
                }
            }
        }
        return std::nullopt;
    }
    const QList<Tag>& open() const { return m_open; }

private:
    QList<Tag> m_open;
};

bool pairs(const Tag& tag, QStringView text)
{
    return (tag.kind == Tag::Start || tag.kind == Tag::End) && !isVoidElement(tag.name(text));
}

}

namespace {

// The name of the tag the caret seems to be in, read from the text around it alone; a guess,
// since the caret may stand in a comment or a script, which only reading from before shows.
QStringView guessedName(QStringView text, qsizetype caret)
{
    qsizetype lt = caret < text.size() && text[caret] == u'<' ? caret : caret > 0 ? text.lastIndexOf(u'<', caret - 1) : -1;
    if (lt < 0)
        return {};
    qsizetype start = lt + 1 + (lt + 1 < text.size() && text[lt + 1] == u'/');
    qsizetype end = start;
    while (end < text.size() && end - start < 64 && !QStringView(u" \t\n\r\f/>").contains(text[end]))
        ++end;
    return text.sliced(start, end - start);
}

// The start tags of `name` left open before the caret, and the tag at the caret, from one
// reading of the text before it.
struct BeforeCaret {
    std::optional<Tag> here;
    QList<TextRange> openStarts;
};

BeforeCaret readBefore(QStringView text, qsizetype caret, qsizetype from, qsizetype limit, QStringView name)
{
    BeforeCaret result;
    const auto count = [&](const Tag& tag) {
        if (!pairs(tag, text) || !sameName(tag.name(text), name))
            return;
        if (tag.kind == Tag::Start)
            result.openStarts.append({tag.start, tag.end});
        else if (!result.openStarts.isEmpty())
            result.openStarts.removeLast();
    };
    TagReader reader(text, from, limit);
    while (const std::optional<Tag> tag = reader.next()) {
        if (tag->start > caret || tag->end < 0)
            break;
        if (caret <= tag->end) {
            if (result.here)
                count(*result.here); // the tag ending at the caret gives way to the one starting there
            result.here = tag;
        } else {
            count(*tag);
        }
    }
    return result;
}

}

std::optional<TagPair> partnerTags(QStringView text, qsizetype caret, qsizetype reach)
{
    if (caret < 0 || caret > text.size())
        return std::nullopt;
    const qsizetype from = std::max<qsizetype>(0, caret - reach);
    const qsizetype limit = std::min(text.size(), caret + reach);
    BeforeCaret before = readBefore(text, caret, from, limit, guessedName(text, caret));
    if (!before.here || !pairs(*before.here, text))
        return std::nullopt;
    const Tag here = *before.here;
    const QStringView name = here.name(text);
    if (here.kind == Tag::Start) {
        int depth = 0;
        TagReader after(text, here.end, limit);
        while (const std::optional<Tag> tag = after.next()) {
            if (tag->end < 0 || !pairs(*tag, text) || !sameName(tag->name(text), name))
                continue;
            if (tag->kind == Tag::Start)
                ++depth;
            else if (depth-- == 0)
                return TagPair{{here.start, here.end}, {tag->start, tag->end}};
        }
        return std::nullopt;
    }
    if (!sameName(guessedName(text, caret), name))
        before = readBefore(text, caret, from, limit, name); // the guess was wrong: read again for the right name
    if (before.openStarts.isEmpty())
        return std::nullopt;
    return TagPair{{here.start, here.end}, before.openStarts.last()};
}

std::optional<OpenElement> openElementAt(QStringView text, qsizetype position, qsizetype reach)
{
    if (position < 0 || position > text.size())
        return std::nullopt;
    OpenElements elements;
    TagReader reader(text, std::max<qsizetype>(0, position - reach), position);
    while (const std::optional<Tag> tag = reader.next()) {
        if (tag->end < 0)
            return std::nullopt; // the position is inside it
        elements.read(text, *tag);
    }
    if (elements.open().isEmpty())
        return std::nullopt;
    const Tag& innermost = elements.open().last();
    return OpenElement{innermost.name(text).toString(), {innermost.start, innermost.end}};
}

std::optional<TextRange> elementAround(QStringView text, TextRange range, qsizetype reach)
{
    if (range.start < 0 || range.end < range.start || range.end > text.size())
        return std::nullopt;
    OpenElements elements;
    TagReader reader(text, std::max<qsizetype>(0, range.start - reach), std::min(text.size(), range.end + reach));
    while (const std::optional<Tag> tag = reader.next()) {
        if (tag->end < 0)
            break;
        // Elements holding the range are nested, so the first of them to close is the innermost.
        if (const std::optional<Tag> start = elements.read(text, *tag)) {
            const TextRange element{start->start, tag->end};
            if (element.start <= range.start && element.end >= range.end && element != range)
                return element;
        }
    }
    return std::nullopt;
}

}
