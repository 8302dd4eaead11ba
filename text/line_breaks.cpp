#include "text/line_breaks.h"

#include <QString>

namespace linebreak {

bool allCrLf(QStringView text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const qsizetype length = lengthAt(text, i);
        if (length == 1)
            return false;
        i += length ? 1 : 0;
    }
    return true;
}

QString withBreaks(QStringView text, QStringView lineBreak)
{
    QString out;
    out.reserve(text.size() + text.size() / 32 * (lineBreak.size() - 1) + 2);
    forEachLine(text, [&](qsizetype start, qsizetype end) {
        if (start > 0)
            out.append(lineBreak);
        out.append(text.sliced(start, end - start));
    });
    return out;
}

}
