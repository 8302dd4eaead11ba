#include "text/document_codec.h"

#include "text/encoding_guess.h"
#include "text/line_breaks.h"

namespace {
LoadedDocument fromDecoded(DecodedText decoded)
{
    LoadedDocument doc;
    doc.encoding = decoded.encoding;
    doc.undecodable = decoded.undecodable;
    doc.foreignEncoding = std::move(decoded.foreignEncoding);
    doc.forms = std::move(decoded.forms);
    if (linebreak::allCrLf(decoded.text)) {
        doc.text = std::move(decoded.text);
        return doc;
    }
    NormalisedText normalised = normaliseLineEnds(decoded.text);
    decoded.text = QString(); // the largest buffer goes before the next is made
    doc.text = std::move(normalised.text);
    doc.lineEnding = normalised.ending;
    return doc;
}
}

LoadedDocument decodeDocument(QByteArrayView bytes)
{
    return fromDecoded(decodeText(bytes));
}

LoadedDocument decodeDocument(QByteArray&& bytes, std::optional<TextEncoding> encoding)
{
    DecodedText decoded = encoding ? decodeText(bytes, *encoding) : decodeText(bytes);
    // Read in an encoding chosen by hand, a Chinese or Korean page is still one.
    if (encoding)
        decoded.foreignEncoding = foreignEncodingOf(bytes, decoded.encoding, decoded.text);
    bytes = QByteArray();
    return fromDecoded(std::move(decoded));
}

EncodedText encodeDocument(const QString& crlfText, TextEncoding encoding, LineEnding ending,
                           Unencodable policy, const ByteForms& forms)
{
    if (ending == LineEnding::CrLf)
        return encodeText(crlfText, encoding, policy, forms);
    return encodeText(withLineEnding(crlfText, ending), encoding, policy, forms);
}

bool readsBackAs(QByteArrayView bytes, TextEncoding encoding)
{
    const DecodedText opened = decodeText(bytes);
    return opened.encoding == encoding || opened.text == decodeText(bytes, encoding).text;
}

bool mayReadOtherwise(TextEncoding encoding, const QString& crlfText)
{
    switch (encoding) {
    case TextEncoding::Utf8Bom:
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        return false;
    case TextEncoding::Utf8:
        // An ASCII page is read in the charset it declares, and ISO-2022-JP by its escapes.
        return crlfText.startsWith(QChar(0xFEFF)) || crlfText.contains(QChar(0x1B));
    default:
        return true;
    }
}

std::optional<TextEncoding> withByteOrderMark(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return TextEncoding::Utf8Bom;
    case TextEncoding::Utf16LeNoBom:
        return TextEncoding::Utf16Le;
    case TextEncoding::Utf16BeNoBom:
        return TextEncoding::Utf16Be;
    default:
        return std::nullopt;
    }
}
