#include "text/text_encoding.h"

#include <QUtf8StringView>

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

class Iconv {
public:
    Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Iconv()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle() const { return m_cd; }
    void reset() { iconv(m_cd, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t m_cd;
};

bool isAscii(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

bool startsWithBom(QByteArrayView bytes)
{
    return bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF
        && static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF;
}

std::optional<TextEncoding> encodingFromName(QByteArray name)
{
    name = name.trimmed().toLower();
    if (name == "utf-8" || name == "utf8")
        return TextEncoding::Utf8;
    if (name == "shift_jis" || name == "shift-jis" || name == "sjis" || name == "x-sjis"
        || name == "cp932" || name == "ms932" || name == "windows-31j" || name == "ms_kanji"
        || name == "csshiftjis")
        return TextEncoding::Cp932;
    return std::nullopt;
}

// The value that follows `key` (already lower case) in `text`, up to a quote, blank, ";"
// or ">".
QByteArray valueAfter(const QByteArray& lower, qsizetype at)
{
    qsizetype i = at;
    while (i < lower.size() && (lower[i] == ' ' || lower[i] == '\t' || lower[i] == '"' || lower[i] == '\''))
        ++i;
    const qsizetype start = i;
    while (i < lower.size() && lower[i] != '"' && lower[i] != '\'' && lower[i] != ' '
           && lower[i] != ';' && lower[i] != '>' && lower[i] != '?' && lower[i] != '/')
        ++i;
    return lower.mid(start, i - start);
}

void appendCharacterReference(QByteArray& out, char32_t ucs)
{
    out += "&#x";
    out += QByteArray::number(static_cast<quint32>(ucs), 16).toUpper();
    out += ';';
}

int lineNumberAt(QStringView text, qsizetype pos)
{
    int line = 1;
    for (qsizetype i = 0; i < pos; ++i) {
        if (text[i] == u'\n')
            ++line;
        else if (text[i] == u'\r' && !(i + 1 < text.size() && text[i + 1] == u'\n'))
            ++line;
    }
    return line;
}

EncodedText encodeCp932(QStringView text, Unencodable policy)
{
    EncodedText result;
    Iconv cd("CP932", "UTF-16LE");
    if (!cd.valid()) {
        result.unencodableCount = int(qMin<qsizetype>(text.size(), INT_MAX));
        result.firstUnencodableLine = 1;
        return result;
    }
    // Every UTF-16 unit becomes at most two bytes.
    result.bytes.resize(text.size() * 2 + 16);
    const char* in = reinterpret_cast<const char*>(text.utf16());
    size_t inLeft = size_t(text.size()) * 2;
    char* outStart = result.bytes.data();
    char* out = outStart;
    size_t outLeft = size_t(result.bytes.size());
    qsizetype firstBadPos = -1;

    while (inLeft > 0) {
        const size_t rc = iconv(cd.handle(), const_cast<char**>(&in), &inLeft, &out, &outLeft);
        if (rc != size_t(-1))
            break;
        if (errno == E2BIG) {
            // Character references can outgrow the estimate.
            const qsizetype used = out - outStart;
            result.bytes.resize(result.bytes.size() * 2);
            outStart = result.bytes.data();
            out = outStart + used;
            outLeft = size_t(result.bytes.size() - used);
            continue;
        }
        // EILSEQ, or EINVAL for a lone high surrogate at the end.
        const qsizetype pos = (in - reinterpret_cast<const char*>(text.utf16())) / 2;
        char32_t ucs = text[pos].unicode();
        size_t units = 1;
        if (QChar::isHighSurrogate(ucs) && pos + 1 < text.size() && text[pos + 1].isLowSurrogate()) {
            ucs = QChar::surrogateToUcs4(text[pos], text[pos + 1]);
            units = 2;
        }
        ++result.unencodableCount;
        if (firstBadPos < 0)
            firstBadPos = pos;
        if (policy == Unencodable::CharacterReferences) {
            QByteArray ref;
            appendCharacterReference(ref, ucs);
            while (outLeft < size_t(ref.size())) {
                const qsizetype used = out - outStart;
                result.bytes.resize(result.bytes.size() * 2);
                outStart = result.bytes.data();
                out = outStart + used;
                outLeft = size_t(result.bytes.size() - used);
            }
            std::memcpy(out, ref.constData(), size_t(ref.size()));
            out += ref.size();
            outLeft -= size_t(ref.size());
        }
        in += units * 2;
        inLeft -= std::min(inLeft, units * 2);
        cd.reset();
    }
    result.bytes.resize(out - outStart);
    if (firstBadPos >= 0)
        result.firstUnencodableLine = lineNumberAt(text, firstBadPos);
    return result;
}

}

QString decodeCp932(QByteArrayView bytes, bool* undecodable)
{
    if (undecodable)
        *undecodable = false;
    QString result;
    if (bytes.isEmpty())
        return result;
    Iconv cd("UTF-16LE", "CP932");
    if (!cd.valid()) {
        if (undecodable)
            *undecodable = true;
        return QString::fromLatin1(bytes.data(), bytes.size());
    }
    // Every CP932 character is in the Basic Multilingual Plane and takes at least one byte,
    // so one UTF-16 unit per input byte always suffices. Allocated at exactly that size:
    // resize() would add room to grow that the finished text never gives back.
    result = QString(bytes.size(), Qt::Uninitialized);
    const char* in = bytes.data();
    size_t inLeft = size_t(bytes.size());
    char* outStart = reinterpret_cast<char*>(result.data());
    char* out = outStart;
    size_t outLeft = size_t(result.size()) * 2;
    while (inLeft > 0) {
        const size_t rc = iconv(cd.handle(), const_cast<char**>(&in), &inLeft, &out, &outLeft);
        if (rc != size_t(-1))
            break;
        if (errno == E2BIG)
            break; // cannot happen, see above
        // An invalid or cut-off sequence: show one replacement character for its lead byte.
        if (undecodable)
            *undecodable = true;
        const char16_t rep = kReplacement;
        std::memcpy(out, &rep, 2);
        out += 2;
        outLeft -= 2;
        ++in;
        --inLeft;
        cd.reset();
    }
    result.truncate((out - outStart) / 2);
    // Double-byte text fills about half the buffer; hand the rest back.
    if (result.capacity() - result.size() > 1 << 20)
        result.squeeze();
    return result;
}

std::optional<TextEncoding> declaredEncoding(QByteArrayView bytes)
{
    const QByteArray lower = bytes.first(qMin<qsizetype>(bytes.size(), 64 * 1024)).toByteArray().toLower();
    for (const char* key : {"charset=", "encoding="}) {
        qsizetype at = 0;
        while ((at = lower.indexOf(key, at)) >= 0) {
            at += qsizetype(std::strlen(key));
            if (auto enc = encodingFromName(valueAfter(lower, at)))
                return enc;
        }
    }
    return std::nullopt;
}

DecodedText decodeText(QByteArrayView bytes)
{
    DecodedText result;
    if (startsWithBom(bytes) && QUtf8StringView(bytes.sliced(3)).isValidUtf8()) {
        result.encoding = TextEncoding::Utf8Bom;
        result.text = QString::fromUtf8(bytes.sliced(3));
        return result;
    }
    if (isAscii(bytes)) {
        result.encoding = declaredEncoding(bytes).value_or(TextEncoding::Utf8);
        result.text = QString::fromLatin1(bytes.data(), bytes.size());
        return result;
    }
    if (QUtf8StringView(bytes).isValidUtf8()) {
        result.encoding = TextEncoding::Utf8;
        result.text = QString::fromUtf8(bytes);
        return result;
    }
    result.encoding = TextEncoding::Cp932;
    result.text = decodeCp932(bytes, &result.undecodable);
    return result;
}

EncodedText encodeText(QStringView text, TextEncoding encoding, Unencodable policy)
{
    switch (encoding) {
    case TextEncoding::Cp932:
        return encodeCp932(text, policy);
    case TextEncoding::Utf8Bom: {
        EncodedText r;
        r.bytes = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
        return r;
    }
    case TextEncoding::Utf8:
        break;
    }
    EncodedText r;
    r.bytes = text.toUtf8();
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
    }
    return {};
}
