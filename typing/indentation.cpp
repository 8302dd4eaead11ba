#include "typing/indentation.h"

QStringView leadingBlanks(QStringView line)
{
    qsizetype n = 0;
    while (n < line.size() && (line[n] == u' ' || line[n] == u'\t' || line[n] == QChar(0x3000)))
        ++n;
    return line.first(n);
}
