#pragma once

#include <QChar>
#include <QStringView>

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
