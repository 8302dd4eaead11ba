#include "jtext/width_and_kana.h"

namespace jtext {
namespace {

// Every character through `convert`, which returns the new one or 0 to keep it.
template <typename Convert>
Conversion eachCharacter(QStringView text, Convert convert)
{
    Conversion out;
    out.text.reserve(text.size());
    for (const QChar c : text) {
        const char16_t to = convert(c.unicode());
        if (to != 0 && to != c.unicode()) {
            out.text.append(QChar(to));
            ++out.changed;
        } else {
            out.text.append(c);
        }
    }
    return out;
}

// U+FF61-U+FF9F in order: ｡｢｣､･ｦ ｧｨｩｪｫｬｭｮｯｰ ｱ...ﾝ ﾞﾟ
constexpr char16_t kHalfKana[] =
    u"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜";
static_assert(std::size(kHalfKana) - 1 == 0xFF9F - 0xFF61 + 1);

constexpr char16_t kVoicedMark = 0xFF9E;
constexpr char16_t kSemiVoicedMark = 0xFF9F;

// The full-width kana with the mark joined, or 0 where they do not join.
char16_t joined(char16_t kana, char16_t mark)
{
    const bool ha = kana >= u'ハ' && kana <= u'ホ' && (kana - u'ハ') % 3 == 0;
    if (mark == kSemiVoicedMark)
        return ha ? kana + 2 : 0;
    if ((kana >= u'カ' && kana <= u'ト' && kana != u'ッ') || ha) {
        // カ to チ alternate with their voiced forms; after the small ッ, ツ テ ト do too.
        return kana + 1;
    }
    switch (kana) {
    case u'ウ': return u'ヴ';
    case u'ワ': return u'ヷ';
    case u'ヲ': return u'ヺ';
    default: return 0;
    }
}

}

Conversion fullWidthToHalfWidth(QStringView text)
{
    qsizetype left = 0;
    Conversion out = eachCharacter(text, [&left](char16_t c) -> char16_t {
        if (c < 0xFF01 || c > 0xFF5E)
            return 0;
        switch (c) {
        case u'＜': case u'＞': case u'＆': case u'＂': case u'＇':
            ++left;
            return 0;
        default:
            return c - 0xFEE0;
        }
    });
    out.left = left;
    return out;
}

Conversion halfWidthToFullWidth(QStringView text)
{
    return eachCharacter(text, [](char16_t c) -> char16_t { return c >= 0x21 && c <= 0x7E ? c + 0xFEE0 : 0; });
}

Conversion halfWidthKanaToFullWidth(QStringView text)
{
    Conversion out;
    out.text.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0xFF61 || c > 0xFF9F) {
            out.text.append(QChar(c));
            continue;
        }
        const char16_t kana = kHalfKana[c - 0xFF61];
        const char16_t next = i + 1 < text.size() ? text[i + 1].unicode() : 0;
        const char16_t withMark = (next == kVoicedMark || next == kSemiVoicedMark) ? joined(kana, next) : 0;
        out.text.append(QChar(withMark ? withMark : kana));
        if (withMark)
            ++i;
        ++out.changed;
    }
    return out;
}

Conversion hiraganaToKatakana(QStringView text)
{
    return eachCharacter(text, [](char16_t c) -> char16_t {
        return (c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E ? c + 0x60 : 0;
    });
}

Conversion katakanaToHiragana(QStringView text)
{
    return eachCharacter(text, [](char16_t c) -> char16_t {
        return (c >= 0x30A1 && c <= 0x30F6) || c == 0x30FD || c == 0x30FE ? c - 0x60 : 0;
    });
}

}
