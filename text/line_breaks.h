#pragma once

#include <QChar>
#include <QStringView>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// What a line break is in a text: CR LF, a lone CR or a lone LF, and nothing else. Every
// reader, writer and the text model count lines by this one rule. U+2028 and U+2029 are
// characters of the text like any other.
namespace linebreak {

inline bool isBreakCharacter(QChar c)
{
    return c == u'\n' || c == u'\r';
}

// The length of the line break that starts at `i`: 2 for CR LF, 1 for a lone CR or LF, 0 where
// none starts.
inline qsizetype lengthAt(QStringView text, qsizetype i)
{
    const QChar c = text[i];
    if (c == u'\n')
        return 1;
    if (c != u'\r')
        return 0;
    return i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 1;
}

// Where the line that starts at `from` ends: the position of its break, or the text's end.
inline qsizetype lineEnd(QStringView text, qsizetype from)
{
    const qsizetype n = text.size();
#if defined(__SSE2__)
    // Eight characters at a time: a large page is mostly the inside of its lines.
    const auto* units = reinterpret_cast<const char16_t*>(text.utf16());
    const __m128i lf = _mm_set1_epi16('\n');
    const __m128i cr = _mm_set1_epi16('\r');
    for (; from + 8 <= n; from += 8) {
        const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + from));
        const int found = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(eight, lf), _mm_cmpeq_epi16(eight, cr)));
        if (found != 0)
            return from + __builtin_ctz(unsigned(found)) / 2;
    }
#endif
    while (from < n && !isBreakCharacter(text[from]))
        ++from;
    return from;
}

// Calls `line(start, end)` for each line in order; the last one may be empty.
template <class Line>
void forEachLine(QStringView text, Line&& line)
{
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = lineEnd(text, start);
        line(start, end);
        if (end == text.size())
            return;
        start = end + lengthAt(text, end);
    }
}

// Whether every line break is CR LF (or there is none).
bool allCrLf(QStringView text);
// The text with each line break written as `lineBreak`.
QString withBreaks(QStringView text, QStringView lineBreak);

}
