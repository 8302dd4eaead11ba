#include "table/table_markup.h"

#include <QByteArray>
#include <QLocale>

#include <cmath>

namespace {
bool skipped(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}
}

double readNumber(QStringView text)
{
    // Gather the characters that matter first, so the grammar below never sees a blank.
    QByteArray s;
    s.reserve(qMin<qsizetype>(text.size(), 64));
    for (QChar c : text) {
        if (!skipped(c))
            s.append(c.unicode() < 0x80 ? char(c.unicode()) : '?');
    }

    qsizetype i = 0;
    const qsizetype n = s.size();
    if (i < n && (s[i] == '+' || s[i] == '-'))
        ++i;
    const qsizetype mantissaStart = i;
    while (i < n && isDigit(QChar(s[i])))
        ++i;
    qsizetype digits = i - mantissaStart;
    if (i < n && s[i] == '.') {
        const qsizetype fractionStart = ++i;
        while (i < n && isDigit(QChar(s[i])))
            ++i;
        digits += i - fractionStart;
    }
    if (digits == 0)
        return 0.0;
    qsizetype end = i;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        qsizetype j = i + 1;
        if (j < n && (s[j] == '+' || s[j] == '-'))
            ++j;
        const qsizetype exponentStart = j;
        while (j < n && isDigit(QChar(s[j])))
            ++j;
        if (j > exponentStart) // "2e" is 2: an exponent needs a digit
            end = j;
    }
    const QByteArray number = s.left(end);
    bool ok = false;
    const double value = QLocale::c().toDouble(QLatin1StringView(number), &ok);
    if (ok)
        return value;
    // Only a number out of range gets here: too large is infinite, too small is zero.
    const qsizetype e = number.indexOf('e') >= 0 ? number.indexOf('e') : number.indexOf('E');
    const bool negativeExponent = e >= 0 && e + 1 < number.size() && number[e + 1] == '-';
    if (negativeExponent)
        return 0.0;
    return number.startsWith('-') ? -HUGE_VAL : HUGE_VAL;
}

Count readCount(QStringView text, int bound)
{
    const double value = readNumber(text);
    // The loops run while the loop number does not pass the value.
    if (!(value < bound + 1.0))
        return Count{.value = bound, .clamped = true};
    if (value < 1.0)
        return Count{};
    return Count{.value = int(std::floor(value))};
}

const std::array<const char*, kTableAttributeCount>& tableAttributeNames()
{
    static const std::array<const char*, kTableAttributeCount> names{
        "height", "width", "border", "cellspacing", "cellpadding", "align"};
    return names;
}

QString tableMarkup(const TableAttributes& attributes, int rows, int columns)
{
    static const QString tr = QStringLiteral("<tr>\r\n");
    static const QString td = QStringLiteral("<td>\r\n");
    rows = qMax(rows, 0);
    columns = qMax(columns, 0);

    QString out;
    qsizetype attributeLength = 0;
    for (const std::optional<QString>& value : attributes)
        attributeLength += value ? value->size() + 16 : 0;
    out.reserve(16 + attributeLength + qsizetype(rows) * (tr.size() + qsizetype(columns) * td.size()) + 10);

    out += QLatin1String("<table");
    for (int i = 0; i < kTableAttributeCount; ++i) {
        if (!attributes[i])
            continue;
        out += QLatin1Char(' ');
        out += QLatin1String(tableAttributeNames()[i]);
        out += QLatin1String("=\"");
        out += *attributes[i];
        out += QLatin1Char('"');
    }
    out += QLatin1String(">\r\n");

    // One row's lines, built once and repeated.
    QString row = tr;
    row.reserve(tr.size() + qsizetype(columns) * td.size());
    for (int c = 0; c < columns; ++c)
        row += td;
    for (int r = 0; r < rows; ++r)
        out += row;

    out += QLatin1String("</table>\r\n");
    return out;
}

QString initialTableMarkup()
{
    return QStringLiteral("<table>\r\n</table>");
}
