#include "text/charset_declaration.h"

#include "text/encoding_guess.h"

#include <optional>

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
// `old` empty: whatever value it has.
void changesInTag(QStringView text, qsizetype from, qsizetype to, std::optional<TextEncoding> old, const QString& name,
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
        if (!value.isEmpty() && (!old || namesEncoding(value, *old)) && value != name)
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

namespace {
TextChanges metaChanges(QStringView text, std::optional<TextEncoding> from, const QString& name)
{
    TextChanges changes;
    for (qsizetype at = text.indexOf(u"<meta", 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(u"<meta", at + 5, Qt::CaseInsensitive)) {
        const qsizetype end = text.indexOf(u'>', at);
        changesInTag(text, at, end < 0 ? text.size() : end, from, name, changes);
        if (end < 0)
            break;
    }
    return changes;
}
}

TextChanges charsetDeclarationChanges(QStringView text, TextEncoding from, TextEncoding to)
{
    const QString name = declaredName(to);
    if (name.compare(declaredName(from), Qt::CaseInsensitive) == 0)
        return {};
    return metaChanges(text, from, name);
}

QString exactDeclaredName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::ShiftJis2004:
        return QStringLiteral("Shift_JIS-2004");
    case TextEncoding::EucJis2004:
        return QStringLiteral("EUC-JIS-2004");
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
    case TextEncoding::Utf16LeNoBom:
    case TextEncoding::Utf16BeNoBom:
        return {};
    default:
        return declaredName(encoding);
    }
}

TextChanges exactDeclarationChanges(QStringView text, TextEncoding encoding)
{
    const QString name = exactDeclaredName(encoding);
    if (name.isEmpty())
        return {};
    // A <meta> that declares the exact name already leaves nothing to change; the page still
    // reads otherwise then, and the caller offers no declaration.
    TextChanges changes = metaChanges(text, std::nullopt, name);
    if (!changes.isEmpty() || text.indexOf(u"charset", 0, Qt::CaseInsensitive) >= 0)
        return changes;
    const qsizetype head = text.indexOf(u"<head", 0, Qt::CaseInsensitive);
    if (head < 0 || head + 5 >= text.size() || (text[head + 5] != u'>' && !isBlank(text[head + 5])))
        return {};
    const qsizetype end = text.indexOf(u'>', head);
    if (end < 0)
        return {};
    changes.append({end + 1, 0, QStringLiteral("<meta charset=\"%1\">").arg(name)});
    return changes;
}
