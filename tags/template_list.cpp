#include "tags/template_list.h"

#include "text/line_ends.h"

namespace {

// Calls `visit(start, end)` for each line of `text`, the line end not included. A final
// line end does not start another line.
template <typename Visit>
void forEachLine(QStringView text, Visit visit)
{
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        if (!visit(start, i))
            return;
        if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        visit(start, size);
}

}

TemplateTable TemplateTable::parse(const QString& text)
{
    TemplateTable table;
    qsizetype lines = 0;
    forEachLine(text, [&](qsizetype start, qsizetype end) {
        if (end > start)
            ++lines;
        return lines < kMaxElements;
    });
    if (lines == 0)
        return table;

    table.m_text = text;
    table.m_elementCount = lines;
    table.m_rows.resize(lines + 1);
    // Entries are numbered in the order of their commas; those beyond the last row are
    // never shown, so reading stops there.
    qsizetype k = 0;
    const QStringView view(table.m_text);
    forEachLine(view, [&](qsizetype start, qsizetype end) {
        for (qsizetype i = start; i < end && k < table.m_rows.size(); ++i) {
            if (view[i] == u',')
                table.m_rows[k++] = Entry{start, i, end};
        }
        return k < table.m_rows.size();
    });
    return table;
}

QString TemplateTable::caption(qsizetype row) const
{
    if (row < 0 || row >= m_rows.size() || m_rows[row].comma < 0)
        return QString();
    const Entry& e = m_rows[row];
    return m_text.mid(e.lineStart, e.comma - e.lineStart);
}

QString TemplateTable::fileName(qsizetype row) const
{
    if (row < 0 || row >= m_rows.size() || m_rows[row].comma < 0)
        return QString();
    const Entry& e = m_rows[row];
    return m_text.mid(e.comma + 1, e.lineEnd - e.comma - 1);
}

QString templateInsertionText(QStringView decodedFile)
{
    QString text = normaliseLineEnds(decodedFile).text;
    if (!text.isEmpty() && !text.endsWith(QLatin1String("\r\n")))
        text += QLatin1String("\r\n");
    return text;
}
