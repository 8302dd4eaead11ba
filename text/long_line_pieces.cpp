#include "text/long_line_pieces.h"

namespace longlinepieces {

bool needsPieces(QStringView crlfText)
{
    qsizetype lineStart = 0;
    const qsizetype n = crlfText.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = crlfText[i];
        if (c != u'\n' && c != u'\r')
            continue;
        if (i - lineStart > kLongestWholeLine)
            return true;
        if (c == u'\r' && i + 1 < n && crlfText[i + 1] == u'\n')
            ++i;
        lineStart = i + 1;
    }
    return n - lineStart > kLongestWholeLine;
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
