#include "text/long_line_pieces.h"

#include "text/line_breaks.h"

namespace longlinepieces {

bool needsPieces(QStringView crlfText)
{
    for (qsizetype start = 0;;) {
        const qsizetype end = linebreak::lineEnd(crlfText, start);
        if (end - start > kLongestWholeLine)
            return true;
        if (end == crlfText.size())
            return false;
        start = end + linebreak::lengthAt(crlfText, end);
    }
}

QList<qsizetype> pieceStarts(QStringView line)
{
    QList<qsizetype> starts;
    const qsizetype n = line.size();
    if (n <= kLongestWholeLine)
        return starts;
    starts.reserve(n / kPieceLength + 1);
    qsizetype start = 0;
    while (n - start > kPieceLength) {
        qsizetype end = start + kPieceLength;
        for (qsizetype i = end; i > start + kPieceLength / 2; --i) {
            if (line[i - 1] == u'>') {
                end = i;
                break;
            }
        }
        if (line[end - 1].isHighSurrogate() && line[end].isLowSurrogate())
            --end;
        starts.append(end);
        start = end;
    }
    return starts;
}

}
