#include "html/tag_reader.h"

namespace html {
namespace {
bool isSpace(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }
bool isAsciiLetter(QChar c)
{
    const char16_t l = c.unicode() | 0x20;
    return l >= 'a' && l <= 'z';
}
}

bool isVoidElement(QStringView name)
{
    static constexpr QStringView kVoid[] = {u"br", u"img", u"input", u"meta", u"link", u"hr", u"area",
                                            u"base", u"col", u"embed", u"param", u"source", u"track", u"wbr"};
    for (QStringView v : kVoid)
        if (name.compare(v, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

TagReader::TagReader(QStringView text, qsizetype from, qsizetype limit)
    : m_text(text.first(std::clamp<qsizetype>(limit, 0, text.size()))), m_pos(std::max<qsizetype>(from, 0)),
      m_limit(m_text.size())
{
}

// After the '>' that ends a tag whose attributes start at `from`, or -1. Quotes count only
// where they open a value (right after '='), so a stray one in a name cannot swallow the page.
qsizetype TagReader::tagEnd(qsizetype from, bool& selfClosing) const
{
    bool afterEquals = false;
    for (qsizetype i = from; i < m_limit; ++i) {
        const QChar c = m_text[i];
        if (c == u'>') {
            selfClosing = i > from && m_text[i - 1] == u'/';
            return i + 1;
        }
        if (afterEquals && (c == u'"' || c == u'\'')) {
            i = m_text.indexOf(c, i + 1);
            if (i < 0)
                return -1;
            afterEquals = false;
        } else if (c == u'=') {
            afterEquals = true;
        } else if (!isSpace(c)) {
            afterEquals = false;
        }
    }
    return -1;
}

std::optional<Tag> TagReader::next()
{
    while (m_pos < m_limit) {
        const qsizetype lt = m_text.indexOf(u'<', m_pos);
        if (lt < 0 || lt + 1 >= m_limit) {
            m_pos = m_limit;
            return std::nullopt;
        }
        const QStringView rest = m_text.mid(lt);
        Tag tag;
        tag.start = lt;
        const auto until = [&](QStringView closer, qsizetype searchFrom) {
            const qsizetype at = m_text.indexOf(closer, searchFrom);
            tag.end = at < 0 ? -1 : at + closer.size();
            m_pos = at < 0 ? m_limit : tag.end;
            return tag;
        };
        if (rest.startsWith(u"<!--"))
            return until(u"-->", lt + 2); // "<!-->" closes at once, as in browsers
        if (rest[1] == u'!')
            return until(u">", lt + 2);
        if (rest[1] == u'?')
            return until(u"?>", lt + 2);
        if (rest[1] == u'%')
            return until(u"%>", lt + 2);
        const bool isEnd = rest[1] == u'/';
        const qsizetype nameStart = lt + (isEnd ? 2 : 1);
        if (nameStart >= m_limit || !isAsciiLetter(m_text[nameStart])) {
            m_pos = lt + 1;
            continue;
        }
        qsizetype nameEnd = nameStart;
        while (nameEnd < m_limit && !isSpace(m_text[nameEnd]) && m_text[nameEnd] != u'/' && m_text[nameEnd] != u'>')
            ++nameEnd;
        bool selfClosing = false;
        tag.nameStart = nameStart;
        tag.nameLength = nameEnd - nameStart;
        tag.end = tagEnd(nameEnd, selfClosing);
        tag.kind = isEnd ? Tag::End : selfClosing ? Tag::SelfClosing : Tag::Start;
        if (tag.end < 0) {
            m_pos = m_limit;
            return tag;
        }
        m_pos = tag.end;
        const QStringView name = tag.name(m_text);
        const bool script = name.compare(u"script", Qt::CaseInsensitive) == 0;
        if (!isEnd && (script || name.compare(u"style", Qt::CaseInsensitive) == 0)) {
            // Its text ends only at its own end tag, whatever quotes or comments it holds.
            const QStringView close = script ? u"</script" : u"</style";
            qsizetype at = tag.end;
            for (;;) {
                at = m_text.indexOf(close, at, Qt::CaseInsensitive);
                if (at < 0) {
                    m_pos = m_limit;
                    break;
                }
                const qsizetype after = at + close.size();
                if (after >= m_limit || isSpace(m_text[after]) || m_text[after] == u'/' || m_text[after] == u'>') {
                    m_pos = at;
                    break;
                }
                at = after;
            }
            tag.kind = Tag::Start; // "<script/>" opens a script all the same
        }
        return tag;
    }
    return std::nullopt;
}

}
