#include "text/iconv_codec.h"

#include "text/line_breaks.h"

#include <QtGlobal>

#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

namespace {

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr char kQStringCharset[] = "UTF-16LE";
#else
constexpr char kQStringCharset[] = "UTF-16BE";
#endif
// glibc's own internal form: a conversion from it is a single step, so a character the
// target cannot hold costs one short call. From UTF-16 every such character made the
// converter redo its whole intermediate buffer.
constexpr char kWideCharset[] = "WCHAR_T";
static_assert(sizeof(wchar_t) == 4, "WCHAR_T must be UCS-4");

constexpr char16_t kReplacement = 0xFFFD;

std::atomic<qint64> runs{0};

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

private:
    iconv_t m_cd;
};

// A byte buffer the converter writes into, grown when it runs out.
class Output {
public:
    explicit Output(qsizetype capacity) : m_bytes(qMax<qsizetype>(capacity, 64), Qt::Uninitialized)
    {
        m_at = m_bytes.data();
        m_left = size_t(m_bytes.size());
    }
    char** at() { return &m_at; }
    size_t* left() { return &m_left; }
    void grow()
    {
        const qsizetype used = m_at - m_bytes.data();
        m_bytes.resize(m_bytes.size() * 2);
        m_at = m_bytes.data() + used;
        m_left = size_t(m_bytes.size() - used);
    }
    QByteArray take()
    {
        m_bytes.truncate(m_at - m_bytes.data());
        if (m_bytes.capacity() - m_bytes.size() > 1 << 20)
            m_bytes.squeeze();
        return std::move(m_bytes);
    }

private:
    QByteArray m_bytes;
    char* m_at = nullptr;
    size_t m_left = 0;
};

// Converts as much of the input as the target holds; false at a character it cannot hold
// (left at *in).
bool convert(iconv_t cd, const wchar_t** in, size_t* inLeft, Output& out)
{
    for (;;) {
        char* from = reinterpret_cast<char*>(const_cast<wchar_t*>(*in));
        ++runs;
        const size_t rc = iconv(cd, &from, inLeft, out.at(), out.left());
        *in = reinterpret_cast<const wchar_t*>(from);
        if (rc != size_t(-1))
            return true;
        if (errno == E2BIG) {
            out.grow();
            continue;
        }
        return false;
    }
}

// The shift state back to ASCII, as a stateful encoding (ISO-2022-JP) must end.
void finish(iconv_t cd, Output& out)
{
    while (iconv(cd, nullptr, nullptr, out.at(), out.left()) == size_t(-1) && errno == E2BIG)
        out.grow();
}

// The characters the converter refused, so each later one is known without asking it.
class RefusedCharacters {
public:
    bool contains(char32_t c) const
    {
        return !m_bits.empty() && c <= 0x10FFFF && (m_bits[c >> 6] >> (c & 63)) & 1;
    }
    void add(char32_t c)
    {
        if (c > 0x10FFFF)
            return;
        if (m_bits.empty())
            m_bits.assign((0x10FFFF >> 6) + 1, 0);
        m_bits[c >> 6] |= quint64(1) << (c & 63);
    }

private:
    std::vector<quint64> m_bits;
};

// &#xHEX; — written by hand: a formatting call for each of millions of characters would
// cost more than the conversion itself.
void appendReference(std::vector<wchar_t>& to, char32_t c)
{
    wchar_t reference[16] = {L'&', L'#', L'x'};
    int n = 3;
    int shift = 28;
    while (shift > 0 && ((c >> shift) & 0xF) == 0)
        shift -= 4;
    for (; shift >= 0; shift -= 4)
        reference[n++] = L"0123456789ABCDEF"[(c >> shift) & 0xF];
    reference[n++] = L';';
    to.insert(to.end(), reference, reference + n);
}

int lineNumberAt(QStringView text, qsizetype pos)
{
    int line = 1;
    for (qsizetype i = 0; i < pos; ++i) {
        const qsizetype length = linebreak::lengthAt(text, i);
        line += length ? 1 : 0;
        i += length == 2 ? 1 : 0;
    }
    return line;
}

qsizetype nonAsciiUnits(QStringView text)
{
    qsizetype n = 0;
    for (QChar c : text)
        n += c.unicode() >= 0x80;
    return n;
}

}

qint64 iconvRuns()
{
    return runs;
}

QString decodeWithIconv(const char* charset, QByteArrayView bytes, bool* undecodable)
{
    if (undecodable)
        *undecodable = false;
    QString result;
    if (bytes.isEmpty())
        return result;
    Iconv cd(kQStringCharset, charset);
    if (!cd.valid()) {
        if (undecodable)
            *undecodable = true;
        return QString::fromLatin1(bytes.data(), bytes.size());
    }
    // Every character of these encodings takes at least one byte and one UTF-16 unit, so
    // one unit per byte suffices. Allocated at exactly that size: resize() would add room
    // to grow that the finished text never gives back.
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
        if (errno == E2BIG || outLeft < 2)
            break; // cannot happen, see above
        // An invalid or cut-off sequence: one replacement character for its first byte.
        if (undecodable)
            *undecodable = true;
        const char16_t rep = kReplacement;
        std::memcpy(out, &rep, 2);
        out += 2;
        outLeft -= 2;
        ++in;
        --inLeft;
    }
    result.truncate((out - outStart) / 2);
    // Double-byte text fills about half the buffer; hand the rest back.
    if (result.capacity() - result.size() > 1 << 20)
        result.squeeze();
    return result;
}

EncodedText encodeWithIconv(const char* charset, QStringView text, Unencodable policy)
{
    EncodedText result;
    Iconv cd(charset, kWideCharset);
    if (!cd.valid()) {
        result.unencodableCount = int(qMin<qsizetype>(text.size(), INT_MAX));
        result.firstUnencodableLine = 1;
        return result;
    }
    // Two bytes for each non-ASCII character is right for most Japanese text.
    Output out(text.size() + nonAsciiUnits(text) + 64);
    RefusedCharacters refused;
    qsizetype refusedCount = 0;
    qsizetype firstRefused = -1;
    auto refuse = [&](char32_t c, std::vector<wchar_t>& into) {
        ++refusedCount;
        if (policy == Unencodable::CharacterReferences)
            appendReference(into, c);
    };

    // The converter is handed the text in pieces of growing size; after a piece in which it
    // refused a character the next one is small again, so that the other occurrences of that
    // character are known from the table, not found one call each.
    constexpr size_t kSmallChunk = 64;
    constexpr size_t kLargeChunk = 1 << 15;
    size_t chunkSize = kSmallChunk;
    std::vector<wchar_t> chunk;
    chunk.reserve(kLargeChunk + 16);
    std::vector<wchar_t> reference;
    const char16_t* units = text.utf16();
    const qsizetype n = text.size();
    qsizetype pos = 0;
    while (pos < n) {
        const qsizetype chunkStart = pos;
        chunk.clear();
        while (pos < n && chunk.size() < chunkSize) {
            char32_t c = units[pos++];
            if (QChar::isHighSurrogate(c) && pos < n && QChar::isLowSurrogate(units[pos]))
                c = QChar::surrogateToUcs4(char16_t(c), units[pos++]);
            if (refused.contains(c))
                refuse(c, chunk);
            else
                chunk.push_back(wchar_t(c));
        }
        const wchar_t* in = chunk.data();
        size_t inLeft = chunk.size() * sizeof(wchar_t);
        chunkSize = qMin(chunkSize * 2, kLargeChunk);
        while (!convert(cd.handle(), &in, &inLeft, out) && inLeft > 0) {
            chunkSize = kSmallChunk;
            const char32_t c = char32_t(*in);
            if (firstRefused < 0) {
                // Nothing was refused before, so the chunk is the text as it stands.
                firstRefused = chunkStart;
                for (const wchar_t* w = chunk.data(); w != in; ++w)
                    firstRefused += *w > 0xFFFF ? 2 : 1;
            }
            refused.add(c);
            reference.clear();
            refuse(c, reference);
            const wchar_t* ref = reference.data();
            size_t refLeft = reference.size() * sizeof(wchar_t);
            convert(cd.handle(), &ref, &refLeft, out); // ASCII: always held
            ++in;
            inLeft -= sizeof(wchar_t);
        }
    }
    finish(cd.handle(), out);
    result.bytes = out.take();
    result.unencodableCount = int(qMin<qsizetype>(refusedCount, INT_MAX));
    if (firstRefused >= 0)
        result.firstUnencodableLine = lineNumberAt(text, firstRefused);
    return result;
}
