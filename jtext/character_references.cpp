#include "jtext/character_references.h"

#include "jtext/html_entities.h"

namespace jtext {
namespace {

// windows-1252 for 0x80-0x9F; 0 where it has no character.
constexpr char16_t kWindows1252[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

int digitValue(QChar c, bool hex)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    const char16_t l = u | 0x20;
    return hex && l >= 'a' && l <= 'f' ? l - 'a' + 10 : -1;
}

bool isAsciiAlnum(QChar c) { return digitValue(c, false) >= 0 || ((c.unicode() | 0x20) >= 'a' && (c.unicode() | 0x20) <= 'z'); }

bool isMarkup(char32_t c) { return c == '<' || c == '>' || c == '&' || c == '"' || c == '\''; }

// The character a reference at `text[at]` ('&') stands for, and its length; none when it is
// not one this conversion reads.
std::optional<std::pair<char32_t, qsizetype>> reference(QStringView text, qsizetype at)
{
    constexpr qsizetype kLongestName = 10; // "thetasym"
    qsizetype i = at + 1;
    char32_t code = 0;
    if (i < text.size() && text[i] == u'#') {
        ++i;
        const bool hex = i < text.size() && (text[i] == u'x' || text[i] == u'X');
        if (hex)
            ++i;
        const qsizetype digitsStart = i;
        for (; i < text.size(); ++i) {
            const int digit = digitValue(text[i], hex);
            if (digit < 0)
                break;
            code = std::min<char32_t>(code * (hex ? 16 : 10) + digit, 0x110000); // no overflow
        }
        if (i == digitsStart || i >= text.size() || text[i] != u';')
            return std::nullopt;
        if (code >= 0x80 && code <= 0x9F)
            code = kWindows1252[code - 0x80];
    } else {
        const qsizetype nameStart = i;
        while (i < text.size() && i - nameStart <= kLongestName && isAsciiAlnum(text[i]))
            ++i;
        if (i == nameStart || i >= text.size() || text[i] != u';')
            return std::nullopt;
        const std::optional<char32_t> named = namedEntity(text.mid(nameStart, i - nameStart));
        if (!named)
            return std::nullopt;
        code = *named;
    }
    const bool control = (code < 0x20 && code != '\t' && code != '\n') || code == 0x7F;
    if (code == 0 || control || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return std::nullopt;
    return std::pair{code, i + 1 - at};
}

// "&#x3042;": upper-case digits, as people write them.
void appendReference(QString& out, char32_t code)
{
    char16_t digits[8];
    int n = 0;
    do {
        digits[n++] = u"0123456789ABCDEF"[code & 15];
        code >>= 4;
    } while (code != 0);
    out.append(u"&#x");
    while (n > 0)
        out.append(QChar(digits[--n]));
    out.append(u';');
}

}

Conversion toCharacterReferences(QStringView text, const CanHold& canHold)
{
    Conversion out;
    out.text.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        char32_t code = c.unicode();
        qsizetype length = 1;
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(c, text[i + 1]);
            length = 2;
        }
        const bool lone = c.isSurrogate() && length == 1;
        if (code < 0x80 || lone || (canHold && canHold(code))) {
            out.text.append(text.mid(i, length));
        } else {
            appendReference(out.text, code);
            ++out.changed;
        }
        i += length - 1;
    }
    return out;
}

Conversion fromCharacterReferences(QStringView text, const CanHold& canHold)
{
    Conversion out;
    out.text.reserve(text.size());
    qsizetype copied = 0;
    for (qsizetype at = text.indexOf(u'&'); at >= 0; at = text.indexOf(u'&', at + 1)) {
        const auto found = reference(text, at);
        if (!found || isMarkup(found->first) || (canHold && !canHold(found->first)))
            continue;
        out.text.append(text.mid(copied, at - copied));
        const char32_t code = found->first;
        out.text.append(QStringView(QChar::fromUcs4(code)));
        ++out.changed;
        copied = at + found->second;
        at = copied - 1;
    }
    out.text.append(text.mid(copied));
    return out;
}

}
