#include "convert/line_conversion.h"

ConvertedLines convertLines(QStringView text, const TextConverter& convert)
{
    ConvertedLines out;
    for (qsizetype start = 0; start <= text.size();) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        const QStringView line = text.sliced(start, end - start);
        const jtext::Conversion converted = convert(line);
        if (converted.changed > 0 && converted.text != line) {
            const QStringView to(converted.text);
            qsizetype head = 0;
            while (head < line.size() && head < to.size() && line[head] == to[head])
                ++head;
            qsizetype tail = 0;
            while (tail < line.size() - head && tail < to.size() - head
                   && line[line.size() - 1 - tail] == to[to.size() - 1 - tail])
                ++tail;
            // A change never starts or ends inside a surrogate pair.
            if (head > 0 && line[head - 1].isHighSurrogate())
                --head;
            if (tail > 0 && line[line.size() - tail].isLowSurrogate())
                --tail;
            out.changes.append({start + head, line.size() - head - tail, to.sliced(head, to.size() - head - tail).toString()});
        }
        out.changed += converted.changed;
        out.left += converted.left;
        start = end + 1;
    }
    return out;
}
