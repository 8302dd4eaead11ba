#include "text/line_ends.h"

#include "text/line_breaks.h"

NormalisedText normaliseLineEnds(QStringView text)
{
    NormalisedText result;
    qsizetype lf = 0;
    qsizetype cr = 0;
    qsizetype breaks = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = linebreak::lengthAt(text, i);
        if (length == 0)
            continue;
        ++breaks;
        if (length == 2)
            ++i;
        else if (text[i] == u'\n')
            ++lf;
        else
            ++cr;
    }
    if (lf == breaks && breaks > 0)
        result.ending = LineEnding::Lf;
    else if (cr == breaks && breaks > 0)
        result.ending = LineEnding::Cr;
    result.text = breaks == 0 ? text.toString() : linebreak::withBreaks(text, u"\r\n");
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
