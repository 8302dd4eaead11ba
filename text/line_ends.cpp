#include "text/line_ends.h"

#include "text/line_breaks.h"

LineBreakCount countLineBreaks(QStringView text)
{
    LineBreakCount count;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = linebreak::lengthAt(text, i);
        if (length == 0)
            continue;
        ++count.all;
        if (length == 2)
            ++i;
        else if (text[i] == u'\n')
            ++count.lf;
        else
            ++count.cr;
    }
    return count;
}

LineEnding LineBreakCount::ending() const
{
    if (lf == all && all > 0)
        return LineEnding::Lf;
    if (cr == all && all > 0)
        return LineEnding::Cr;
    return LineEnding::CrLf;
}

LineBreakCount& LineBreakCount::operator+=(const LineBreakCount& other)
{
    lf += other.lf;
    cr += other.cr;
    all += other.all;
    return *this;
}

NormalisedText normaliseLineEnds(QStringView text)
{
    const LineBreakCount breaks = countLineBreaks(text);
    NormalisedText result;
    result.ending = breaks.ending();
    result.text = breaks.all == 0 ? text.toString() : linebreak::withBreaks(text, u"\r\n");
    return result;
}

QString withLineEnding(const QString& crlfText, LineEnding ending)
{
    if (ending == LineEnding::CrLf)
        return crlfText;
    // One pass: a shrinking replace on a large page moves the tail once per batch of matches.
    QString out(crlfText.size(), Qt::Uninitialized);
    QChar* to = out.data();
    const QChar* from = crlfText.constData();
    const QChar* const end = from + crlfText.size();
    for (; from != end; ++from) {
        if (*from == u'\r' && from + 1 != end && from[1] == u'\n') {
            if (ending == LineEnding::Cr)
                *to++ = *from++; // the CR stays, its LF goes
            continue;
        }
        *to++ = *from;
    }
    out.truncate(to - out.constData());
    return out;
}
