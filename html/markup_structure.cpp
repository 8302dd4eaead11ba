#include "html/markup_structure.h"

#include "html/tag_reader.h"

#include <QList>

namespace html {
namespace {

bool sameName(QStringView a, QStringView b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

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

std::optional<TagPair> partnerTags(QStringView text, qsizetype caret, qsizetype reach)
{
    if (caret < 0 || caret > text.size())
        return std::nullopt;
    const qsizetype from = std::max<qsizetype>(0, caret - reach);
    const qsizetype limit = std::min(text.size(), caret + reach);
    std::optional<Tag> here;
    TagReader reader(text, from, limit);
    while (const std::optional<Tag> tag = reader.next()) {
        if (tag->start > caret || tag->end < 0)
            break;
        if (caret <= tag->end)
            here = tag; // a later tag starting right at the caret takes its place
    }
    if (!here || !pairs(*here, text))
        return std::nullopt;
    const QStringView name = here->name(text);
    if (here->kind == Tag::Start) {
        int depth = 0;
        TagReader after(text, here->end, limit);
        while (const std::optional<Tag> tag = after.next()) {
            if (tag->end < 0 || !pairs(*tag, text) || !sameName(tag->name(text), name))
                continue;
            if (tag->kind == Tag::Start)
                ++depth;
            else if (depth-- == 0)
                return TagPair{{here->start, here->end}, {tag->start, tag->end}};
        }
        return std::nullopt;
    }
    QList<TextRange> starts; // of this name, still unclosed
    TagReader before(text, from, here->start);
    while (const std::optional<Tag> tag = before.next()) {
        if (tag->end < 0 || !pairs(*tag, text) || !sameName(tag->name(text), name))
            continue;
        if (tag->kind == Tag::Start)
            starts.append({tag->start, tag->end});
        else if (!starts.isEmpty())
            starts.removeLast();
    }
    if (starts.isEmpty())
        return std::nullopt;
    return TagPair{{here->start, here->end}, starts.last()};
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
