#include "site/site_text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

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

namespace {
// The old text from `from` to `to` with each break in its own form; `nextBreak` is the index of
// the first break's form and moves on past those written.
void appendOld(QString& out, const SiteText& site, qsizetype from, qsizetype to, qsizetype& nextBreak)
{
    const QStringView old = QStringView(site.text).mid(from, to - from);
    if (!site.breaks.isEmpty())
        appendWithForms(out, old, site.breaks, nextBreak);
    else
        appendWithBreak(out, old, breakText(formOf(site.ending)));
}

// New text takes the file's own break.
void appendNew(QString& out, const SiteText& site, QStringView lf)
{
    appendWithBreak(out, lf, breakText(formOf(site.ending)));
}
}

QString withOwnBreaks(const SiteText& original, const TextChanges& changes)
{
    QString out;
    out.reserve(original.text.size() + original.text.size() / 16);
    qsizetype pos = 0;
    qsizetype nextBreak = 0;
    for (const TextChange& change : changes) {
        appendOld(out, original, pos, change.start, nextBreak);
        appendNew(out, original, change.text);
        if (!original.breaks.isEmpty())
            nextBreak += QStringView(original.text).mid(change.start, change.length).count(u'\n');
        pos = change.start + change.length;
    }
    appendOld(out, original, pos, original.text.size(), nextBreak);
    return out;
}

namespace {
constexpr qsizetype kPiece = 1 << 16;

bool isUnicode(TextEncoding e)
{
    return isUtf16(e) || e == TextEncoding::Utf8 || e == TextEncoding::Utf8Bom;
}

// The encoding a piece of the page is written in when a text's bytes are those of its pieces
// one after another (the byte-order mark aside). Not so in ISO-2022-JP, whose escapes span
// pieces, nor in JIS X 0213, where a mark combines with the character before it.
std::optional<TextEncoding> pieceEncoding(TextEncoding e)
{
    switch (e) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
        return TextEncoding::Utf8;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16LeNoBom:
        return TextEncoding::Utf16LeNoBom;
    case TextEncoding::Utf16Be:
    case TextEncoding::Utf16BeNoBom:
        return TextEncoding::Utf16BeNoBom;
    case TextEncoding::Cp932:
    case TextEncoding::EucJp:
        return e;
    default:
        return std::nullopt;
    }
}

// A surrogate at a change's edge might pair with its new neighbour: only the whole text tells.
bool pairsAcross(QStringView text, const TextChange& change)
{
    const qsizetype end = change.start + change.length;
    return (change.start > 0 && text[change.start - 1].isHighSurrogate())
        || (end < text.size() && text[end].isLowSurrogate())
        || (!change.text.isEmpty() && (change.text.front().isLowSurrogate() || change.text.back().isHighSurrogate()));
}

// Where a piece from `from` ends: at `to`, or after the last break within kPiece, never between
// the two halves of a pair.
qsizetype pieceEnd(QStringView text, qsizetype from, qsizetype to)
{
    if (to - from <= kPiece)
        return to;
    if (const qsizetype lastBreak = text.mid(from, kPiece).lastIndexOf(u'\n'); lastBreak >= 0)
        return from + lastBreak + 1;
    const qsizetype cut = from + kPiece;
    return text[cut - 1].isHighSurrogate() && text[cut].isLowSurrogate() ? cut - 1 : cut;
}

// The whole text in each form at once, for the encodings that cannot go a piece at a time.
ReplacedBytes replacedWhole(SiteText& site, QByteArrayView oldBytes, const TextChanges& changes)
{
    ReplacedBytes r;
    // Valid UTF-8 and UTF-16 always encode back to their bytes.
    if (!isUnicode(site.encoding) && encodeText(withOwnBreaks(site, {}), site.encoding).bytes != oldBytes)
        return r;
    QString replaced = withOwnBreaks(site, changes);
    site.text = QString(); // a large page is not held in more forms than it must
    EncodedText encoded = encodeText(replaced, site.encoding);
    if (encoded.unencodableCount > 0) {
        r.result = ReplacedBytes::Unencodable;
        return r;
    }
    r.result = ReplacedBytes::Made;
    r.bytes = std::move(encoded.bytes);
    return r;
}
}

ReplacedBytes replacedBytes(SiteText&& site, QByteArrayView oldBytes, const TextChanges& changes)
{
    const std::optional<TextEncoding> pieces = pieceEncoding(site.encoding);
    const QStringView text = site.text;
    // A legacy encoding's converter is set up anew for each piece, which costs as much as
    // writing a few thousand characters: a page with many hits for its length goes whole.
    const bool fewPieces = isUnicode(site.encoding) || changes.size() <= 16 + text.size() / 8192;
    if (!pieces || !fewPieces || std::any_of(changes.begin(), changes.end(), [&](const TextChange& c) { return pairsAcross(text, c); }))
        return replacedWhole(site, oldBytes, changes);
    // The old text is encoded a piece at a time, each piece matched with the old bytes: that
    // tells where each hit's bytes are, and that the rest may be copied as it is.
    ReplacedBytes r;
    const QByteArray mark = encodeText({}, site.encoding).bytes;
    qsizetype at = mark.size();
    bool asRead = oldBytes.startsWith(mark);
    qsizetype nextBreak = 0;
    QString piece;
    const auto matchOld = [&](qsizetype from, qsizetype to) {
        while (from < to && asRead) {
            const qsizetype end = pieceEnd(text, from, to);
            piece.clear();
            appendOld(piece, site, from, end, nextBreak);
            const EncodedText e = encodeText(piece, *pieces);
            asRead = e.unencodableCount == 0 && oldBytes.sliced(at).startsWith(e.bytes);
            at += e.bytes.size();
            from = end;
        }
    };
    QList<qsizetype> hitBytes; // where each hit's old bytes start and end
    hitBytes.reserve(changes.size() * 2);
    qsizetype pos = 0;
    for (const TextChange& change : changes) {
        matchOld(pos, change.start);
        hitBytes.append(at);
        matchOld(change.start, change.start + change.length);
        hitBytes.append(at);
        pos = change.start + change.length;
    }
    matchOld(pos, text.size());
    if (!asRead || at != oldBytes.size()) // a stray surrogate in UTF-16 and the like: as a whole write has it
        return isUnicode(site.encoding) ? replacedWhole(site, oldBytes, changes) : r;
    site.text = QString(); // the new bytes are made from the old ones, not from the text
    QList<QByteArray> added;
    qsizetype size = oldBytes.size();
    for (qsizetype i = 0; i < changes.size(); ++i) {
        if (i > 0 && changes[i].text == changes[i - 1].text) {
            added.append(added.last());
        } else {
            piece.clear();
            appendNew(piece, site, changes[i].text);
            EncodedText e = encodeText(piece, *pieces);
            if (e.unencodableCount > 0) {
                r.result = ReplacedBytes::Unencodable;
                return r;
            }
            added.append(std::move(e.bytes));
        }
        size += added[i].size() - (hitBytes[2 * i + 1] - hitBytes[2 * i]);
    }
    r.bytes.reserve(size);
    qsizetype copied = 0;
    for (qsizetype i = 0; i < changes.size(); ++i) {
        r.bytes.append(oldBytes.sliced(copied, hitBytes[2 * i] - copied));
        r.bytes.append(added[i]);
        copied = hitBytes[2 * i + 1];
    }
    r.bytes.append(oldBytes.sliced(copied));
    r.result = ReplacedBytes::Made;
    return r;
}

int lineOfPosition(QStringView lfText, qsizetype position, qsizetype fromPosition, int fromLine)
{
    return fromLine + int(lfText.mid(fromPosition, position - fromPosition).count(u'\n'));
}
