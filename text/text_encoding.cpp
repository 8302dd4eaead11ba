#include "text/text_encoding.h"

#include "text/encoding_guess.h"
#include "text/utf8_check.h"
#include "text/iconv_codec.h"
#include "text/line_breaks.h"
#include "text/table_decode.h"

#include <QStringDecoder>
#include <QtEndian>

namespace {

// glibc's names. EUC-JP as Windows writes it holds the NEC and IBM rows and reads 0xA1C1
// as the full-width tilde, like CP932; it writes both tildes. ISO-2022-JP is read with the
// escapes some writers add (half-width katakana, JIS X 0212) and written plain.
struct IconvNames {
    const char* read;
    const char* write;
};

IconvNames iconvNames(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::EucJp:
        return {"EUC-JP-MS", "EUC-JP-MS"};
    case TextEncoding::Iso2022Jp:
        // The -3 writer is plain ISO-2022-JP but for half-width katakana (ESC ( I); anything
        // it would write in JIS X 0213 does not read back and is asked about.
        return {"ISO-2022-JP-2", "ISO-2022-JP-3"};
    case TextEncoding::ShiftJis2004:
        return {"SHIFT_JISX0213", "SHIFT_JISX0213"};
    case TextEncoding::EucJis2004:
        return {"EUC-JISX0213", "EUC-JISX0213"};
    default:
        return {"CP932", "CP932"};
    }
}

// glibc reads the single bytes 0x5C and 0x7E of Shift_JIS-2004 as JIS X 0201's yen sign and
// overline; pages and browsers mean the backslash and tilde of ASCII. The two characters come
// from those single bytes only (the two-byte forms are U+FFE5 and U+FFE3).
QString readLegacy(TextEncoding encoding, QByteArrayView bytes, bool* undecodable)
{
    if (std::optional<QString> text = decodeByTable(encoding, bytes)) {
        if (undecodable)
            *undecodable = false;
        return std::move(*text);
    }
    QString text = decodeWithIconv(iconvNames(encoding).read, bytes, undecodable);
    if (encoding == TextEncoding::ShiftJis2004) {
        for (QChar& c : text) {
            if (c == QChar(0x00A5))
                c = u'\\';
            else if (c == QChar(0x203E))
                c = u'~';
        }
    }
    return text;
}

QByteArrayView byteOrderMark(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8Bom:
        return "\xEF\xBB\xBF";
    case TextEncoding::Utf16Le:
        return "\xFF\xFE";
    case TextEncoding::Utf16Be:
        return "\xFE\xFF";
    default:
        return {};
    }
}

QString decodeUtf16(QByteArrayView bytes, bool bigEndian, bool* undecodable)
{
    const qsizetype units = bytes.size() / 2;
    QString text(units + bytes.size() % 2, Qt::Uninitialized);
    if (units == 0) {
        // nothing to convert (and no buffer to convert from)
    } else if (bigEndian)
        qFromBigEndian<char16_t>(bytes.data(), units, text.data());
    else
        qFromLittleEndian<char16_t>(bytes.data(), units, text.data());
    *undecodable = bytes.size() % 2 != 0;
    if (*undecodable)
        text[units] = QChar(QChar::ReplacementCharacter);
    return text;
}

// A page that reads once, in the guessed encoding: nothing undecodable, and no other Japanese
// reading to weigh.
template <typename PrivateUse>
bool isUsualReading(std::optional<TextEncoding> declared, TextEncoding guessed, bool undecodable, PrivateUse privateUse)
{
    const bool declaresAnother = declared && *declared != guessed && isJapaneseMultiByte(*declared);
    return !declaresAnother && !undecodable && (declared == guessed || !privateUse());
}

bool holdsPrivateUse(QStringView text)
{
    // Counted rather than searched, so the loop has no branch and the compiler can widen it.
    const char16_t* units = text.utf16();
    qsizetype found = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        found += char16_t(units[i] - 0xE000) < 0x1900;
    return found > 0;
}

// QString::fromUtf8 drops a U+FEFF at the start; after the byte-order mark (taken off
// already) it is the text's own character and must survive an edit and a save.
QString decodeUtf8(QByteArrayView bytes)
{
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

QByteArray encodeUtf16(QStringView text, bool bigEndian)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    if (text.isEmpty())
        return bytes;
    if (bigEndian)
        qToBigEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    else
        qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

// Lone surrogates cannot be written in UTF-8 or UTF-16 (they would come back as U+FFFD or pair
// up with a neighbour): counted like any character an encoding lacks, and left out or written
// as a reference. The text is copied only when it holds one.
QString withoutLoneSurrogates(QStringView text, Unencodable policy, EncodedText& report)
{
    QString kept;
    qsizetype copiedTo = 0;
    int line = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (const qsizetype breakLength = linebreak::lengthAt(text, i)) {
            ++line;
            i += breakLength - 1;
            continue;
        }
        if (!c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        kept += text.sliced(copiedTo, i - copiedTo);
        if (policy == Unencodable::CharacterReferences)
            kept += QStringLiteral("&#x") + QString::number(c.unicode(), 16).toUpper() + u';';
        copiedTo = i + 1;
        if (report.unencodableCount++ == 0)
            report.firstUnencodableLine = line;
    }
    if (report.unencodableCount == 0)
        return QString();
    kept += text.sliced(copiedTo);
    return kept;
}

}

QString decodeCp932(QByteArrayView bytes, bool* undecodable)
{
    return decodeWithIconv("CP932", bytes, undecodable);
}

DecodedText decodeText(QByteArrayView bytes)
{
    return decodeText(bytes, guessEncodingOf(bytes));
}

DecodedText decodeText(QByteArrayView bytes, const EncodingGuess& guess)
{
    const TextEncoding guessed = guess.encoding;
    if (guessed == TextEncoding::Utf8 && guess.validUtf8) {
        DecodedText decoded; // checked already
        decoded.text = decodeUtf8(bytes);
        return decoded;
    }
    DecodedText decoded = decodeText(bytes, guessed);
    decoded.foreignEncoding = foreignEncodingOf(bytes, decoded.encoding, decoded.text);
    // A Chinese or Korean page is shown in the plain form: it is no JIS X 0213 page either.
    if (!isJapaneseMultiByte(guessed) || !decoded.foreignEncoding.isEmpty())
        return decoded;
    // Bytes valid in more than one Japanese encoding: the page's own declaration, when the
    // page reads in it without error; then a reading without private-use characters (which a
    // JIS X 0213 page read in the Microsoft forms gives); then the common form.
    const std::optional<TextEncoding> declared = declaredEncoding(bytes);
    if (isUsualReading(declared, guessed, decoded.undecodable, [&] { return holdsPrivateUse(decoded.text); }))
        return decoded; // the usual page: read once
    DecodedText best;
    bool haveBest = false;
    for (TextEncoding e : japaneseReadings(bytes, guessed)) {
        DecodedText reading = e == guessed ? std::move(decoded) : decodeText(bytes, e);
        if (!reading.undecodable && (e == declared || !holdsPrivateUse(reading.text))) {
            best = std::move(reading);
            haveBest = true;
            break;
        }
        if (!haveBest || (best.undecodable && !reading.undecodable)) {
            best = std::move(reading);
            haveBest = true;
        }
    }
    best.foreignEncoding = foreignEncodingOf(bytes, best.encoding, best.text);
    return best;
}

QString decodeUtf8Text(QByteArrayView bytes)
{
    return decodeUtf8(bytes);
}

bool readsAsGuessedByTable(QByteArrayView bytes, const EncodingGuess& guess)
{
    const TableScan scan =
        guess.tableScanned ? TableScan{guess.tableRead, guess.tablePrivateUse} : scanByTable(guess.encoding, bytes);
    if (!scan.read)
        return false;
    const std::optional<TextEncoding> declared = guess.declaredKnown ? guess.declared : declaredEncoding(bytes);
    return isUsualReading(declared, guess.encoding, false, [&scan] { return scan.privateUse; });
}

bool readsAsGuessedAlone(QByteArrayView bytes, TextEncoding guessed, bool privateUse)
{
    return isUsualReading(declaredEncoding(bytes), guessed, false, [privateUse] { return privateUse; });
}

DecodedText decodeText(QByteArrayView bytes, TextEncoding encoding)
{
    DecodedText result;
    result.encoding = encoding;
    const QByteArrayView bom = byteOrderMark(encoding);
    if (!bom.isEmpty() && bytes.startsWith(bom))
        bytes = bytes.sliced(bom.size());
    switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
        // Stray bytes in a UTF-8 page become U+FFFD, one for each.
        result.undecodable = !isUtf8(bytes);
        result.text = decodeUtf8(bytes);
        break;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        result.text = decodeUtf16(bytes, encoding == TextEncoding::Utf16Be, &result.undecodable);
        break;
    case TextEncoding::Utf16LeNoBom:
    case TextEncoding::Utf16BeNoBom:
        result.text = decodeUtf16(bytes, encoding == TextEncoding::Utf16BeNoBom, &result.undecodable);
        break;
    case TextEncoding::Cp932:
    case TextEncoding::EucJp:
    case TextEncoding::Iso2022Jp:
    case TextEncoding::ShiftJis2004:
    case TextEncoding::EucJis2004:
        result.text = readLegacy(encoding, bytes, &result.undecodable);
        if (encoding == TextEncoding::Cp932)
            result.forms = cp932FormsUsed(bytes);
        break;
    }
    return result;
}

EncodedText encodeText(QStringView text, TextEncoding encoding, Unencodable policy, const ByteForms& forms)
{
    EncodedText r;
    if (encoding == TextEncoding::Cp932) {
        r = encodeWithIconv(iconvNames(encoding).write, text, policy,
                            [encoding](QByteArrayView bytes) { return readLegacy(encoding, bytes, nullptr); });
        restoreCp932Forms(r.bytes, forms);
        return r;
    }
    QString cleaned;
    if (encoding != TextEncoding::EucJp && encoding != TextEncoding::Iso2022Jp && encoding != TextEncoding::ShiftJis2004
        && encoding != TextEncoding::EucJis2004) {
        cleaned = withoutLoneSurrogates(text, policy, r);
        if (r.unencodableCount > 0)
            text = cleaned;
    }
    switch (encoding) {
    case TextEncoding::Cp932:
    case TextEncoding::EucJp:
    case TextEncoding::Iso2022Jp:
    case TextEncoding::ShiftJis2004:
    case TextEncoding::EucJis2004:
        return encodeWithIconv(iconvNames(encoding).write, text, policy,
                               [encoding](QByteArrayView bytes) { return readLegacy(encoding, bytes, nullptr); });
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        r.bytes = byteOrderMark(encoding).toByteArray() + encodeUtf16(text, encoding == TextEncoding::Utf16Be);
        break;
    case TextEncoding::Utf16LeNoBom:
    case TextEncoding::Utf16BeNoBom:
        r.bytes = encodeUtf16(text, encoding == TextEncoding::Utf16BeNoBom);
        break;
    case TextEncoding::Utf8Bom:
        r.bytes = byteOrderMark(encoding).toByteArray() + text.toUtf8();
        break;
    case TextEncoding::Utf8:
        r.bytes = text.toUtf8();
        break;
    }
    return r;
}

QString encodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case TextEncoding::Utf8Bom:
        return QStringLiteral("UTF-8 (BOM)");
    case TextEncoding::Cp932:
        return QStringLiteral("Shift_JIS");
    case TextEncoding::EucJp:
        return QStringLiteral("EUC-JP");
    case TextEncoding::Iso2022Jp:
        return QStringLiteral("ISO-2022-JP");
    case TextEncoding::Utf16Le:
        return QStringLiteral("UTF-16LE");
    case TextEncoding::Utf16Be:
        return QStringLiteral("UTF-16BE");
    case TextEncoding::ShiftJis2004:
        return QStringLiteral("Shift_JIS-2004");
    case TextEncoding::EucJis2004:
        return QStringLiteral("EUC-JIS-2004");
    case TextEncoding::Utf16LeNoBom:
        return QStringLiteral("UTF-16LE (BOM なし)");
    case TextEncoding::Utf16BeNoBom:
        return QStringLiteral("UTF-16BE (BOM なし)");
    }
    return {};
}

const QList<TextEncoding>& allTextEncodings()
{
    static const QList<TextEncoding> all{
        TextEncoding::Utf8,         TextEncoding::Utf8Bom,   TextEncoding::Cp932,   TextEncoding::ShiftJis2004,
        TextEncoding::EucJp,        TextEncoding::EucJis2004, TextEncoding::Iso2022Jp, TextEncoding::Utf16Le,
        TextEncoding::Utf16Be,      TextEncoding::Utf16LeNoBom, TextEncoding::Utf16BeNoBom};
    return all;
}

bool encodingHolds(TextEncoding encoding, char32_t c)
{
    const QString one = QString::fromUcs4(&c, 1);
    return encodeText(one, encoding, Unencodable::Report).unencodableCount == 0;
}
