#include "text/text_encoding.h"

#include "text/encoding_guess.h"
#include "text/iconv_codec.h"

#include <QUtf8StringView>
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
        return {"ISO-2022-JP-2", "ISO-2022-JP"};
    default:
        return {"CP932", "CP932"};
    }
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
    if (bigEndian)
        qFromBigEndian<char16_t>(bytes.data(), units, text.data());
    else
        qFromLittleEndian<char16_t>(bytes.data(), units, text.data());
    *undecodable = bytes.size() % 2 != 0;
    if (*undecodable)
        text[units] = QChar(QChar::ReplacementCharacter);
    return text;
}

QByteArray encodeUtf16(QStringView text, bool bigEndian)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    if (bigEndian)
        qToBigEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    else
        qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

}

QString decodeCp932(QByteArrayView bytes, bool* undecodable)
{
    return decodeWithIconv("CP932", bytes, undecodable);
}

DecodedText decodeText(QByteArrayView bytes)
{
    return decodeText(bytes, guessEncoding(bytes));
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
        result.undecodable = !QUtf8StringView(bytes).isValidUtf8();
        result.text = QString::fromUtf8(bytes);
        break;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        result.text = decodeUtf16(bytes, encoding == TextEncoding::Utf16Be, &result.undecodable);
        break;
    case TextEncoding::Cp932:
    case TextEncoding::EucJp:
    case TextEncoding::Iso2022Jp:
        result.text = decodeWithIconv(iconvNames(encoding).read, bytes, &result.undecodable);
        break;
    }
    return result;
}

EncodedText encodeText(QStringView text, TextEncoding encoding, Unencodable policy)
{
    EncodedText r;
    switch (encoding) {
    case TextEncoding::Cp932:
    case TextEncoding::EucJp:
    case TextEncoding::Iso2022Jp:
        return encodeWithIconv(iconvNames(encoding).write, text, policy);
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        r.bytes = byteOrderMark(encoding).toByteArray() + encodeUtf16(text, encoding == TextEncoding::Utf16Be);
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
    }
    return {};
}

const QList<TextEncoding>& allTextEncodings()
{
    static const QList<TextEncoding> all{TextEncoding::Utf8,    TextEncoding::Utf8Bom,   TextEncoding::Cp932,
                                         TextEncoding::EucJp,   TextEncoding::Iso2022Jp, TextEncoding::Utf16Le,
                                         TextEncoding::Utf16Be};
    return all;
}
