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

bool sameElementName(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        if (x != y && !(isAsciiLetter(a[i]) && (x | 0x20) == (y | 0x20)))
            return false;
    }
    return true;
}

bool isVoidElement(QStringView name)
{
    // Asked of every tag read, so the length and first letter sort out most names at once.
    static constexpr QStringView kVoid[] = {u"br", u"img", u"input", u"meta", u"link", u"hr", u"area",
                                            u"base", u"col", u"embed", u"param", u"source", u"track", u"wbr"};
    if (name.size() < 2 || name.size() > 6)
        return false;
    const char16_t first = name[0].unicode() | 0x20;
    for (QStringView v : kVoid)
        if (v[0] == first && sameElementName(name, v))
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

// After the first `closer` (which ends in '>') starting at or after `from`, or -1. Looking for
// the '>' alone is much faster than for the whole closer.
qsizetype TagReader::closerEnd(QStringView closer, qsizetype from) const
{
    const qsizetype lead = closer.size() - 1;
    for (qsizetype gt = m_text.indexOf(u'>', from + lead); gt >= 0; gt = m_text.indexOf(u'>', gt + 1)) {
        qsizetype i = 0;
        while (i < lead && m_text[gt - lead + i] == closer[i])
            ++i;
        if (i == lead)
            return gt + 1;
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
        const QStringView rest = m_text.sliced(lt);
        Tag tag;
        tag.start = lt;
        const auto until = [&](QStringView closer, qsizetype searchFrom) {
            tag.end = closerEnd(closer, searchFrom);
            m_pos = tag.end < 0 ? m_limit : tag.end;
            return tag;
        };
        if (rest.size() >= 4 && rest[1] == u'!' && rest[2] == u'-' && rest[3] == u'-')
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
        const bool script = sameElementName(name, u"script");
        if (!isEnd && (script || sameElementName(name, u"style"))) {
            // Its text ends only at its own end tag, whatever quotes or comments it holds.
            const QStringView closeName = script ? u"script" : u"style";
            qsizetype at = tag.end;
            for (;;) {
                at = m_text.indexOf(u'<', at);
                if (at >= 0 && (at + 1 >= m_limit || m_text[at + 1] != u'/')) {
                    ++at;
                    continue;
                }
                if (at < 0) {
                    m_pos = m_limit;
                    break;
                }
                const qsizetype after = at + 2 + closeName.size();
                if (sameElementName(m_text.mid(at + 2, closeName.size()), closeName)
                    && (after >= m_limit || isSpace(m_text[after]) || m_text[after] == u'/' || m_text[after] == u'>')) {
                    m_pos = at;
                    break;
                }
                at += 2;
            }
            tag.kind = Tag::Start; // "<script/>" opens a script all the same
        }
        return tag;
    }
    return std::nullopt;
}

}
