#include "text/encoding_guess.h"

#include "text/table_decode.h"
#include "text/two_halves.h"
#include "text/utf8_check.h"

#include <QByteArray>

#include <cstring>

namespace {

using uchar8 = unsigned char;

uchar8 at(QByteArrayView bytes, qsizetype i)
{
    return i < bytes.size() ? static_cast<uchar8>(bytes[i]) : 0;
}

bool inRange(uchar8 b, uchar8 low, uchar8 high)
{
    return b >= low && b <= high;
}

quint64 word(const char* p)
{
    quint64 w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

constexpr quint64 kHighBits = 0x8080808080808080ULL;

// Eight bytes at a time: most of a page's bytes are ASCII markup.
qsizetype asciiPrefix(QByteArrayView bytes, qsizetype from = 0)
{
    const char* p = bytes.data();
    const qsizetype n = bytes.size();
    qsizetype i = from;
    while (i + 8 <= n && (word(p + i) & kHighBits) == 0)
        i += 8;
    while (i < n && static_cast<uchar8>(p[i]) < 0x80)
        ++i;
    return i;
}

// How well the bytes fit one multi-byte encoding: the characters of more than one byte,
// and the bytes that begin no valid character.
struct Fit {
    qsizetype multiByte = 0;
    qsizetype invalid = 0;
    qsizetype halfwidthKana = 0; // CP932 only: single bytes 0xA1 to 0xDF
};

inline int utf8Length(QByteArrayView b, qsizetype i)
{
    return utf8check::sequenceLength(reinterpret_cast<const uchar8*>(b.data()), b.size(), i);
}

// Where a walk may end: when only whether a byte does not fit (or a kana) is wanted, the
// first one ends it.
enum class Until { End, Invalid, InvalidOrKana };

// How the bytes fall into characters, given the length of the character of more than one
// byte that begins at i (0 when none begins there). CP932 counts its single-byte kana apart.
template <Until until = Until::End, typename Length>
Fit fitOf(QByteArrayView b, Length length, bool singleByteKana = false)
{
    Fit fit;
    for (qsizetype i = 0; i < b.size();) {
        if constexpr (until != Until::End)
            if (fit.invalid > 0 || (until == Until::InvalidOrKana && fit.halfwidthKana > 0))
                break;
        const uchar8 c = at(b, i);
        if (c < 0x80) {
            i = asciiPrefix(b, i + 1);
        } else if (singleByteKana && inRange(c, 0xA1, 0xDF)) {
            ++fit.halfwidthKana;
            ++i;
        } else if (const int n = length(b, i)) {
            ++fit.multiByte;
            i += n;
        } else {
            ++fit.invalid;
            ++i;
        }
    }
    return fit;
}

inline int eucJpLength(QByteArrayView b, qsizetype i)
{
    const uchar8 c = at(b, i);
    if (c == 0x8E)
        return inRange(at(b, i + 1), 0xA1, 0xDF) ? 2 : 0;
    if (c == 0x8F)
        return inRange(at(b, i + 1), 0xA1, 0xFE) && inRange(at(b, i + 2), 0xA1, 0xFE) ? 3 : 0;
    return inRange(c, 0xA1, 0xFE) && inRange(at(b, i + 1), 0xA1, 0xFE) ? 2 : 0;
}

inline int cp932Length(QByteArrayView b, qsizetype i)
{
    const uchar8 c = at(b, i);
    const uchar8 next = at(b, i + 1);
    return (inRange(c, 0x81, 0x9F) || inRange(c, 0xE0, 0xFC))
            && (inRange(next, 0x40, 0x7E) || inRange(next, 0x80, 0xFC))
        ? 2
        : 0;
}

// As function objects, not pointers, so that the walk has them inlined.
constexpr auto kEucJpLength = [](QByteArrayView b, qsizetype i) { return eucJpLength(b, i); };
constexpr auto kCp932Length = [](QByteArrayView b, qsizetype i) { return cp932Length(b, i); };

bool fitsEucJp(QByteArrayView b)
{
    return fitOf<Until::Invalid>(b, kEucJpLength).invalid == 0;
}

// Whether the bytes are UTF-8 but for a few stray bytes: eight characters of more than one
// byte for each stray byte. Legacy bytes give up soon: the look ends once the rest could not
// make up for the stray ones found.
bool mostlyUtf8(QByteArrayView b)
{
    qsizetype multiByte = 0;
    qsizetype invalid = 0;
    for (qsizetype i = 0; i < b.size();) {
        const uchar8 c = at(b, i);
        if (c < 0x80) {
            i = asciiPrefix(b, i + 1);
        } else if (const int n = utf8Length(b, i)) {
            ++multiByte;
            i += n;
        } else {
            ++invalid;
            ++i;
            if (8 * invalid > multiByte + (b.size() - i) / 2)
                return false;
        }
    }
    return multiByte >= 8 * invalid;
}

// fitOf on two cores for a large page.
// With `until`, each half ends at its own first such byte: the counts then tell only whether
// there was one.
template <Until until, typename Length>
Fit fitInHalves(QByteArrayView b, Length length, bool singleByteKana)
{
    return walkInHalves(b, [&](QByteArrayView half) { return fitOf<until>(half, length, singleByteKana); },
                        [](Fit fit, const Fit& second) {
                            fit.multiByte += second.multiByte;
                            fit.invalid += second.invalid;
                            fit.halfwidthKana += second.halfwidthKana;
                            return fit;
                        });
}

template <Until until = Until::End>
Fit cp932Fit(QByteArrayView b)
{
    return fitInHalves<until>(b, kCp932Length, true);
}

Fit eucJpFit(QByteArrayView b)
{
    return fitInHalves<Until::End>(b, kEucJpLength, false);
}

bool isAscii(QByteArrayView bytes)
{
    return asciiPrefix(bytes) == bytes.size();
}

// ESC $ @, ESC $ B (the JIS kanji sets), ESC ( I (half-width katakana), ESC $ ( D, and ESC ( J
// (JIS X 0201 Roman, which a page holding only ¥ or ‾ uses alone).
bool hasIso2022JpEscapes(QByteArrayView bytes)
{
    for (qsizetype i = bytes.indexOf('\x1b'); i >= 0 && i + 2 < bytes.size(); i = bytes.indexOf('\x1b', i + 1)) {
        const char a = bytes[i + 1];
        const char b = bytes[i + 2];
        if ((a == '$' && (b == '@' || b == 'B' || b == '(')) || (a == '(' && (b == 'I' || b == 'J')))
            return true;
    }
    return false;
}

bool isUtf16(TextEncoding e)
{
    return e == TextEncoding::Utf16Le || e == TextEncoding::Utf16Be || e == TextEncoding::Utf16LeNoBom
        || e == TextEncoding::Utf16BeNoBom;
}

// A Japanese reading of the bytes that has almost no kana is not Japanese: Japanese prose is
// kana for a third or more of its characters, while Chinese and Korean text read as Shift_JIS
// or EUC-JP gives kanji, half-width katakana and symbols, and next to no hiragana or katakana.
bool isForeignText(QStringView text)
{
    text = text.first(qMin<qsizetype>(text.size(), 64 * 1024)); // the page's start tells
    qsizetype nonAscii = 0;
    qsizetype kana = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        nonAscii += u >= 0x80;
        kana += u >= 0x3041 && u <= 0x30FE;
    }
    return nonAscii >= 32 && kana * 20 < nonAscii;
}

char16_t unitAt(QByteArrayView bytes, qsizetype i, bool big)
{
    return big ? char16_t(uchar8(bytes[i]) << 8 | uchar8(bytes[i + 1])) : char16_t(uchar8(bytes[i + 1]) << 8 | uchar8(bytes[i]));
}

// UTF-16 without a byte-order mark: text files of other encodings hold no zero bytes, while
// in UTF-16 every ASCII character has one, always in the same half of its pair.
std::optional<TextEncoding> utf16ByZeroBytes(QByteArrayView bytes)
{
    const qsizetype size = qMin<qsizetype>(bytes.size(), 64 * 1024) & ~qsizetype(1);
    // Most pages hold no zero byte at all, which one quick look tells.
    if (bytes.size() % 2 != 0 || size < 16 || !bytes.first(size).contains('\0'))
        return std::nullopt;
    qsizetype zeros[2] = {0, 0};
    for (qsizetype i = 0; i < size; ++i)
        zeros[i & 1] += bytes[i] == 0;
    const qsizetype pairs = size / 2;
    for (int high : {1, 0}) {
        if (zeros[high] * 8 >= pairs && zeros[1 - high] * 8 <= zeros[high]) {
            const bool big = high == 0;
            // A low surrogate must follow each high one, and only then.
            bool wantLow = false;
            for (qsizetype i = 0; i < size; i += 2) {
                const char16_t unit = unitAt(bytes, i, big);
                if (QChar::isLowSurrogate(unit) != wantLow)
                    return std::nullopt;
                wantLow = QChar::isHighSurrogate(unit);
            }
            return big ? TextEncoding::Utf16BeNoBom : TextEncoding::Utf16LeNoBom;
        }
    }
    return std::nullopt;
}


// UTF-16 without a byte-order mark and with little ASCII: Japanese text is kana, punctuation
// and full-width forms (the units 0x30xx and 0xFFxx) for a good part, kanji for most of the
// rest. Read the wrong way round, or read from Shift_JIS or EUC-JP bytes, the same units fall
// into Hangul, Yi and the like, and next to none of them is kana.
std::optional<TextEncoding> utf16ByJapaneseUnits(QByteArrayView bytes)
{
    const qsizetype size = qMin<qsizetype>(bytes.size(), 64 * 1024) & ~qsizetype(1);
    if (bytes.size() % 2 != 0 || size < 8)
        return std::nullopt;
    const qsizetype units = size / 2;
    for (bool big : {false, true}) {
        qsizetype typical = 0, plausible = 0;
        bool wantLow = false;
        bool broken = false;
        qsizetype unlikely = 0; // past units / 50 the bytes are no such text
        for (qsizetype i = 0; i < size && !broken && unlikely * 50 <= units; i += 2) {
            const char16_t u = unitAt(bytes, i, big);
            if (QChar::isLowSurrogate(u) != wantLow) {
                broken = true;
                break;
            }
            wantLow = QChar::isHighSurrogate(u);
            // Kana, the ideographic space and 、。「」『』, full-width forms, ASCII: not the rest of
            // the 0x30xx row, which a legacy page gives for "0," and the like.
            const bool usual = (u >= 0x20 && u < 0x7F) || u == 0x09 || u == 0x0A || u == 0x0D
                || (u >= 0x3041 && u <= 0x30FF) || (u >= 0x3000 && u <= 0x3002) || (u >= 0x300C && u <= 0x300F)
                || (u >= 0xFF01 && u <= 0xFF9F);
            typical += usual;
            plausible += usual || (u >= 0x3000 && u <= 0x303F) || (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3400 && u <= 0x4DBF)
                || (u >= 0x2000 && u <= 0x2BFF) || (u >= 0x00A0 && u <= 0x04FF) || (u >= 0x3100 && u <= 0x33FF)
                || (u >= 0xE000 && u <= 0xF8FF) || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFE30 && u <= 0xFE4F)
                || (u >= 0xFFE0 && u <= 0xFFEE) || QChar::isSurrogate(u);
            unlikely = (i / 2 + 1) - plausible;
        }
        if (!broken && !wantLow && typical * 5 >= units && plausible * 50 >= units * 49)
            return big ? TextEncoding::Utf16BeNoBom : TextEncoding::Utf16LeNoBom;
    }
    return std::nullopt;
}

}

bool isJapaneseMultiByte(TextEncoding e)
{
    return e == TextEncoding::Cp932 || e == TextEncoding::EucJp || e == TextEncoding::ShiftJis2004
        || e == TextEncoding::EucJis2004;
}

QList<TextEncoding> japaneseReadings(QByteArrayView bytes, TextEncoding guessed)
{
    QList<TextEncoding> order;
    auto add = [&](TextEncoding e) {
        if (!order.contains(e))
            order.append(e);
    };
    if (const std::optional<TextEncoding> declared = declaredEncoding(bytes); declared && isJapaneseMultiByte(*declared))
        add(*declared);
    const bool shiftJis = guessed == TextEncoding::Cp932 || guessed == TextEncoding::ShiftJis2004;
    const QList<TextEncoding> sjisFamily{TextEncoding::Cp932, TextEncoding::ShiftJis2004};
    const QList<TextEncoding> eucFamily{TextEncoding::EucJp, TextEncoding::EucJis2004};
    for (TextEncoding e : shiftJis ? sjisFamily : eucFamily)
        add(e);
    if (shiftJis ? fitsEucJp(bytes) : cp932Fit<Until::Invalid>(bytes).invalid == 0) {
        for (TextEncoding e : shiftJis ? eucFamily : sjisFamily)
            add(e);
    }
    return order;
}

QString foreignEncodingOf(QByteArrayView bytes, TextEncoding encoding, QStringView text)
{
    if (!isJapaneseMultiByte(encoding))
        return {};
    if (QString declared = declaredForeignEncoding(bytes); !declared.isEmpty())
        return isAscii(bytes) ? QString() : declared;
    // A page that declares a Japanese charset is taken at its word: a list of names in kanji
    // has no kana either.
    if (!declaredEncoding(bytes) && isForeignText(text))
        return QStringLiteral("GB18030, Big5, EUC-KR");
    return {};
}

TextEncoding guessEncoding(QByteArrayView bytes)
{
    return guessEncodingOf(bytes).encoding;
}

EncodingGuess guessEncodingOf(QByteArrayView bytes)
{
    return guessEncodingOf(bytes, nullptr);
}

EncodingGuess guessEncodingOf(QByteArrayView bytes, std::optional<TableWalk>* cp932Walk)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return {TextEncoding::Utf8Bom};
    if (bytes.startsWith("\xFF\xFE"))
        return {TextEncoding::Utf16Le};
    if (bytes.startsWith("\xFE\xFF"))
        return {TextEncoding::Utf16Be};

    if (const std::optional<TextEncoding> utf16 = utf16ByZeroBytes(bytes))
        return {*utf16};
    const qsizetype asciiUpTo = asciiPrefix(bytes);
    if (asciiUpTo == bytes.size()) {
        if (hasIso2022JpEscapes(bytes))
            return {TextEncoding::Iso2022Jp, true, true};
        // Bytes without a single NUL are no UTF-16, whatever the page says.
        const std::optional<TextEncoding> declared = declaredEncoding(bytes);
        return {declared && !isUtf16(*declared) ? *declared : TextEncoding::Utf8, true, true};
    }
    // On two cores for a large page.
    if (walkInHalves(bytes.sliced(asciiUpTo), [](QByteArrayView half) { return isUtf8(half); },
                     [](bool first, bool second) { return first && second; }))
        return {TextEncoding::Utf8, false, true};
    if (const std::optional<TextEncoding> utf16 = utf16ByJapaneseUnits(bytes))
        return {*utf16};

    const std::optional<TextEncoding> declared = declaredEncoding(bytes);
    // Bytes an encoding's table reads fit the encoding, and a search wants that scan next: it is
    // made here, once, in place of the walk. EUC-JP's table reads C1 bytes alone, which do not
    // fit: the scan ends at one (Shift_JIS bytes soon give one), and the walk tells.
    const std::optional<TableScan> eucScan = tableReadsOnlyItsForms(TextEncoding::EucJp)
        ? std::optional(scanByTable(TextEncoding::EucJp, bytes, true))
        : std::nullopt;
    const bool eucFits = (eucScan && eucScan->read) || fitsEucJp(bytes);
    std::optional<TableScan> cp932Scan;
    const auto fitsCp932 = [&] {
        if (!cp932Scan) {
            if (!tableReadsOnlyItsForms(TextEncoding::Cp932)) {
                cp932Scan = TableScan{};
            } else if (cp932Walk) {
                *cp932Walk = walkByTableInHalves(TextEncoding::Cp932, bytes);
                cp932Scan = (*cp932Walk)->scan;
            } else {
                cp932Scan = scanByTable(TextEncoding::Cp932, bytes);
            }
        }
        return cp932Scan->read || cp932Fit<Until::Invalid>(bytes).invalid == 0;
    };
    const auto withScan = [&](TextEncoding e) {
        EncodingGuess guess{e};
        guess.declaredKnown = true;
        guess.declared = declared;
        // Handed on only when whole: a scan of EUC-JP that ended at a C1 byte was not.
        const std::optional<TableScan>& scan = e == TextEncoding::Cp932 ? cp932Scan : eucScan;
        if ((e == TextEncoding::Cp932 || e == TextEncoding::EucJp) && tableReadsOnlyItsForms(e) && scan
            && (scan->read || e == TextEncoding::Cp932)) {
            guess.tableScanned = true;
            guess.tableRead = scan->read;
            guess.tablePrivateUse = scan->privateUse;
        }
        return guess;
    };
    if ((declared == TextEncoding::EucJp || declared == TextEncoding::EucJis2004) && eucFits)
        return withScan(*declared);
    if ((declared == TextEncoding::Cp932 || declared == TextEncoding::ShiftJis2004) && fitsCp932())
        return withScan(*declared);
    // In Shift_JIS or EUC-JP text a byte sequence that happens to be valid UTF-8 is rare
    // beside the invalid ones; in a UTF-8 page with stray bytes it is the other way round.
    if (mostlyUtf8(bytes))
        return {TextEncoding::Utf8};
    if (eucFits) {
        // Read as CP932, EUC-JP's kana and most kanji are half-width katakana, which real
        // Shift_JIS text seldom holds: the first of them, or a byte CP932 lacks, tells.
        const Fit sjis = cp932Fit<Until::InvalidOrKana>(bytes);
        return withScan(sjis.invalid == 0 && sjis.halfwidthKana == 0 ? TextEncoding::Cp932 : TextEncoding::EucJp);
    }
    if (fitsCp932())
        return withScan(TextEncoding::Cp932);
    const Fit sjis = cp932Fit(bytes);
    return withScan(eucJpFit(bytes).invalid < sjis.invalid ? TextEncoding::EucJp : TextEncoding::Cp932);
}

