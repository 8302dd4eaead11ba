#include "site/site_text.h"

#include <array>
#include <cstring>

namespace {
constexpr qsizetype kFirstBlock = 4096;

bool isUtf16(TextEncoding e)
{
    return e == TextEncoding::Utf16Le || e == TextEncoding::Utf16Be || e == TextEncoding::Utf16LeNoBom
        || e == TextEncoding::Utf16BeNoBom;
}

QLatin1StringView breakText(char form)
{
    switch (form) {
    case 'n':
        return QLatin1StringView("\n");
    case 'r':
        return QLatin1StringView("\r");
    default:
        return QLatin1StringView("\r\n");
    }
}

char formOf(LineEnding ending)
{
    return ending == LineEnding::Lf ? 'n' : ending == LineEnding::Cr ? 'r' : 'c';
}

// Appends `lf` with each LF written as the break `forms` gives it, taking forms from `next`.
void appendWithForms(QString& out, QStringView lf, const QByteArray& forms, qsizetype& next)
{
    qsizetype from = 0;
    for (qsizetype at = lf.indexOf(u'\n'); at >= 0; at = lf.indexOf(u'\n', from)) {
        out += lf.mid(from, at - from);
        out += breakText(next < forms.size() ? forms[next] : 'c');
        ++next;
        from = at + 1;
    }
    out += lf.mid(from);
}

void appendWithBreak(QString& out, QStringView lf, QLatin1StringView lineBreak)
{
    if (lineBreak == QLatin1StringView("\n")) {
        out += lf;
        return;
    }
    qsizetype from = 0;
    for (qsizetype at = lf.indexOf(u'\n'); at >= 0; at = lf.indexOf(u'\n', from)) {
        out += lf.mid(from, at - from);
        out += lineBreak;
        from = at + 1;
    }
    out += lf.mid(from);
}
}

SiteSkip textKindOf(QByteArrayView bytes)
{
    if (!bytes.first(qMin(bytes.size(), kFirstBlock)).contains('\0'))
        return SiteSkip::None;
    return isUtf16(decodeText(bytes.first(qMin(bytes.size(), kFirstBlock))).encoding) ? SiteSkip::None
                                                                                       : SiteSkip::NotText;
}

SiteText siteTextOf(QByteArrayView bytes)
{
    DecodedText decoded = decodeText(bytes);
    SiteText site;
    site.encoding = decoded.encoding;
    site.undecodable = decoded.undecodable;
    site.foreignEncoding = std::move(decoded.foreignEncoding);
    if (!decoded.text.contains(u'\r')) {
        site.ending = decoded.text.contains(u'\n') ? LineEnding::Lf : LineEnding::CrLf;
        site.text = std::move(decoded.text);
        return site;
    }
    // One pass, in place (a large page is not held twice): the LF text and each break's form;
    // the forms are kept only when they differ.
    QString lf = std::move(decoded.text);
    QByteArray forms;
    std::array<qsizetype, 3> counts{}; // CR LF, LF, CR
    QChar* p = lf.data();
    const qsizetype n = lf.size();
    qsizetype kept = 0;
    qsizetype from = 0;
    const auto keep = [&](qsizetype to) {
        if (kept != from)
            std::memmove(p + kept, p + from, (to - from) * sizeof(QChar));
        kept += to - from;
    };
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        keep(i);
        p[kept++] = u'\n';
        if (c == u'\r' && i + 1 < n && p[i + 1] == u'\n') {
            forms.append('c');
            ++counts[0];
            ++i;
        } else {
            forms.append(c == u'\n' ? 'n' : 'r');
            ++counts[c == u'\n' ? 1 : 2];
        }
        from = i + 1;
    }
    keep(n);
    lf.truncate(kept);
    site.text = std::move(lf);
    const int kinds = (counts[0] > 0) + (counts[1] > 0) + (counts[2] > 0);
    site.ending = counts[0] >= counts[1] && counts[0] >= counts[2] ? LineEnding::CrLf
        : counts[1] >= counts[2]                                    ? LineEnding::Lf
                                                                    : LineEnding::Cr;
    if (kinds > 1)
        site.breaks = std::move(forms);
    return site;
}

QString withOwnBreaks(const SiteText& original, const TextChanges& changes)
{
    const QStringView old = original.text;
    const QLatin1StringView own = breakText(formOf(original.ending));
    QString out;
    out.reserve(old.size() + old.size() / 16);
    qsizetype pos = 0;
    qsizetype nextBreak = 0;
    const bool mixed = !original.breaks.isEmpty();
    const auto copyOld = [&](qsizetype from, qsizetype to) {
        if (mixed)
            appendWithForms(out, old.mid(from, to - from), original.breaks, nextBreak);
        else
            appendWithBreak(out, old.mid(from, to - from), own);
    };
    for (const TextChange& change : changes) {
        copyOld(pos, change.start);
        appendWithBreak(out, change.text, own);
        if (mixed)
            nextBreak += old.mid(change.start, change.length).count(u'\n');
        pos = change.start + change.length;
    }
    copyOld(pos, old.size());
    return out;
}

int lineOfPosition(QStringView lfText, qsizetype position, qsizetype fromPosition, int fromLine)
{
    return fromLine + int(lfText.mid(fromPosition, position - fromPosition).count(u'\n'));
}
