#include "text/line_lengths.h"

#include <algorithm>

namespace linelengths {
namespace {
bool isBreak(QChar c)
{
    return c == u'\n' || c == u'\r';
}
}

qsizetype longest(QStringView text, qsizetype limit)
{
    return longestAfterInsertion(0, text, 0, limit);
}

qsizetype longestAfterInsertion(qsizetype before, QStringView inserted, qsizetype after,
                                qsizetype limit)
{
    const qsizetype n = inserted.size();
    qsizetype longestSoFar = 0;
    qsizetype lineStart = -before; // the first line carries what stood before it
    for (qsizetype i = 0; i < n && longestSoFar <= limit; ++i) {
        if (!isBreak(inserted[i]))
            continue;
        longestSoFar = std::max(longestSoFar, i - lineStart);
        if (inserted[i] == u'\r' && i + 1 < n && inserted[i + 1] == u'\n')
            ++i;
        lineStart = i + 1;
    }
    return std::max(longestSoFar, n - lineStart + after);
}

}
