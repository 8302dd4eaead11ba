#include "text/charset_declaration.h"

#include "text/encoding_guess.h"

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f';
}

bool endsValue(QChar c)
{
    return isBlank(c) || c == u'"' || c == u'\'' || c == u';' || c == u'>' || c == u'/';
}

bool namesEncoding(QStringView value, TextEncoding encoding)
{
    if (value.compare(declaredName(encoding), Qt::CaseInsensitive) == 0)
        return true;
    return value.size() < 64 && encodingNamed(value.toLatin1()) == encoding;
}

// The charset values inside one meta tag, text[from, to): each "charset", "=", the value.
void changesInTag(QStringView text, qsizetype from, qsizetype to, TextEncoding old, const QString& name,
                  TextChanges& changes)
{
    const QStringView tag = text.sliced(from, to - from);
    for (qsizetype at = tag.indexOf(u"charset", 0, Qt::CaseInsensitive); at >= 0;
         at = tag.indexOf(u"charset", at + 1, Qt::CaseInsensitive)) {
        qsizetype i = at + 7;
        while (i < tag.size() && isBlank(tag[i]))
            ++i;
        if (i == tag.size() || tag[i] != u'=')
            continue;
        ++i;
        while (i < tag.size() && (isBlank(tag[i]) || tag[i] == u'"' || tag[i] == u'\''))
            ++i;
        const qsizetype start = i;
        while (i < tag.size() && !endsValue(tag[i]))
            ++i;
        const QStringView value = tag.sliced(start, i - start);
        if (!value.isEmpty() && namesEncoding(value, old) && value != name)
            changes.append({from + start, value.size(), name});
    }
}

}

QString declaredName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
        return QStringLiteral("UTF-8");
    case TextEncoding::Cp932:
    case TextEncoding::ShiftJis2004:
        return QStringLiteral("Shift_JIS");
    case TextEncoding::EucJp:
    case TextEncoding::EucJis2004:
        return QStringLiteral("EUC-JP");
    case TextEncoding::Iso2022Jp:
        return QStringLiteral("ISO-2022-JP");
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
    case TextEncoding::Utf16LeNoBom:
    case TextEncoding::Utf16BeNoBom:
        return QStringLiteral("UTF-16");
    }
    return {};
}

TextChanges charsetDeclarationChanges(QStringView text, TextEncoding from, TextEncoding to)
{
    TextChanges changes;
    const QString name = declaredName(to);
    if (name.compare(declaredName(from), Qt::CaseInsensitive) == 0)
        return changes;
    for (qsizetype at = text.indexOf(u"<meta", 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(u"<meta", at + 5, Qt::CaseInsensitive)) {
        const qsizetype end = text.indexOf(u'>', at);
        changesInTag(text, at, end < 0 ? text.size() : end, from, name, changes);
        if (end < 0)
            break;
    }
    return changes;
}
