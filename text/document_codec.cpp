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
                           Unencodable policy)
{
    if (ending == LineEnding::CrLf)
        return encodeText(crlfText, encoding, policy);
    return encodeText(withLineEnding(crlfText, ending), encoding, policy);
}
