#include "text/line_ends.h"

NormalisedText normaliseLineEnds(QStringView text)
{
    NormalisedText result;
    qsizetype lf = 0;
    qsizetype cr = 0;
    qsizetype breaks = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\n') {
            ++lf;
            ++breaks;
        } else if (c == u'\r') {
            ++breaks;
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            else
                ++cr;
        }
    }
    if (breaks == 0) {
        result.text = text.toString();
        return result;
    }
    if (lf == breaks)
        result.ending = LineEnding::Lf;
    else if (cr == breaks)
        result.ending = LineEnding::Cr;
    QString out;
    out.reserve(text.size() + breaks);
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\n' && c != u'\r')
            continue;
        out.append(text.mid(start, i - start));
        out.append(u"\r\n");
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    out.append(text.mid(start));
    result.text = std::move(out);
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
