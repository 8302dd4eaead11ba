#pragma once

// The marks by which the text model's document says how its lines are held; only the model's
// own files include this.
#include <QTextFormat>

#include <QList>

#include <algorithm>

namespace linemarks {
constexpr int kSoftBreakMark = QTextFormat::UserProperty + 1;
constexpr int kOwnSeparatorMark = QTextFormat::UserProperty + 2;
constexpr int kOwnBreakMark = QTextFormat::UserProperty + 3; // the character, as an int

// Characters the document makes a block separator of, whatever the text means by them.
inline bool isOwnBreak(QChar c)
{
    return c == QChar::ParagraphSeparator || c.unicode() == 0xFDD0 || c.unicode() == 0xFDD1;
}

// What stands before a block: a real line break, a soft break, or a character of the text.
enum class Before { LineBreak, SoftBreak, OwnCharacter };

inline Before before(const QTextBlockFormat& format)
{
    if (format.boolProperty(kSoftBreakMark))
        return Before::SoftBreak;
    return format.hasProperty(kOwnBreakMark) ? Before::OwnCharacter : Before::LineBreak;
}

inline QTextBlockFormat marked(QTextBlockFormat format, Before kind, char16_t character = 0)
{
    format.clearProperty(kSoftBreakMark);
    format.clearProperty(kOwnBreakMark);
    if (kind == Before::SoftBreak)
        format.setProperty(kSoftBreakMark, true);
    else if (kind == Before::OwnCharacter)
        format.setProperty(kOwnBreakMark, int(character));
    return format;
}

inline qsizetype countBefore(const QList<int>& sorted, int position)
{
    return std::lower_bound(sorted.cbegin(), sorted.cend(), position) - sorted.cbegin();
}

inline bool contains(const QList<int>& sorted, int position)
{
    return std::binary_search(sorted.cbegin(), sorted.cend(), position);
}
}
