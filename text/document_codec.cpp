#include "text/document_codec.h"

#include "text/encoding_guess.h"
#include "text/line_breaks.h"

#include <climits>
#include <utility>

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

PieceEncoder::PieceEncoder(TextEncoding encoding, LineEnding ending, Unencodable policy, const ByteForms& forms,
                           qsizetype length)
    : m_encoding(encoding), m_ending(ending), m_policy(policy), m_forms(forms)
{
    // At most three bytes a UTF-16 unit in every encoding but for references; what is set aside
    // and not written to takes no memory.
    if (length > 0)
        m_result.bytes.reserve(3 * length + 4);
}

void PieceEncoder::add(QStringView crlfPiece)
{
    if (m_encoding == TextEncoding::Iso2022Jp) {
        m_whole += crlfPiece;
        return;
    }
    // The byte-order mark goes once, before the first piece.
    TextEncoding encoding = m_encoding;
    if (!m_first && encoding == TextEncoding::Utf8Bom)
        encoding = TextEncoding::Utf8;
    else if (!m_first && encoding == TextEncoding::Utf16Le)
        encoding = TextEncoding::Utf16LeNoBom;
    else if (!m_first && encoding == TextEncoding::Utf16Be)
        encoding = TextEncoding::Utf16BeNoBom;
    m_first = false;
    const QString ended = m_ending == LineEnding::CrLf ? QString() : withLineEnding(crlfPiece.toString(), m_ending);
    const EncodedText piece = encodeText(m_ending == LineEnding::CrLf ? crlfPiece : QStringView(ended), encoding,
                                         m_policy, m_forms);
    if (piece.unencodableCount > 0) {
        if (m_result.unencodableCount == 0)
            m_result.firstUnencodableLine = m_lines + piece.firstUnencodableLine;
        m_result.unencodableCount = int(qMin<qint64>(qint64(m_result.unencodableCount) + piece.unencodableCount, INT_MAX));
    }
    m_result.bytes += piece.bytes;
    m_lines += int(crlfPiece.count(u'\n'));
}

EncodedText PieceEncoder::result()
{
    if (m_first)
        add(QStringView()); // an empty text still has its byte-order mark
    if (m_encoding == TextEncoding::Iso2022Jp)
        return encodeDocument(std::exchange(m_whole, QString()), m_encoding, m_ending, m_policy, m_forms);
    m_result.bytes.squeeze();
    return std::exchange(m_result, EncodedText());
}

bool readsBackAs(QByteArrayView bytes, TextEncoding encoding)
{
    const DecodedText opened = decodeText(bytes);
    return opened.encoding == encoding || opened.text == decodeText(bytes, encoding).text;
}

bool mayReadOtherwise(TextEncoding encoding, const QString& crlfText)
{
    return mayReadOtherwise(encoding, crlfText.startsWith(QChar(0xFEFF)), crlfText.contains(QChar(0x1B)));
}

bool mayReadOtherwise(TextEncoding encoding, bool startsWithMark, bool holdsEscape)
{
    switch (encoding) {
    case TextEncoding::Utf8Bom:
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        return false;
    case TextEncoding::Utf8:
        // An ASCII page is read in the charset it declares, and ISO-2022-JP by its escapes.
        return startsWithMark || holdsEscape;
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
