#include "text/iconv_codec.h"

#include "text/line_breaks.h"

#include <QHash>
#include <QtGlobal>

#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
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

// Whether each character the text holds comes back as itself from the file, asked of the
// converters once for each distinct character and kept in pages of 256, made as needed.
class Verdicts {
public:
    Verdicts(const char* charset, const ReadBack& readBack) : m_encoder(charset, kWideCharset), m_readBack(readBack) {}
    bool held(char32_t c)
    {
        if (c > 0x10FFFF)
            return false;
        std::unique_ptr<quint8[]>& page = m_pages[c >> 8];
        if (!page)
            page = std::make_unique<quint8[]>(256); // zeroed: nothing known yet
        quint8& verdict = page[c & 0xFF];
        if (verdict == kUnknown)
            verdict = readsBack({c}) ? kHeld : kRefused;
        return verdict == kHeld;
    }
    // A combining mark that the encoding holds only together with the character before it
    // (JIS X 0213's か゚, ˩˥): the two written and read again are themselves.
    bool heldAfter(char32_t previous, char32_t c)
    {
        const quint64 key = quint64(previous) << 32 | c;
        if (auto known = m_pairs.constFind(key); known != m_pairs.constEnd())
            return *known;
        const bool held = readsBack({previous, c});
        m_pairs.insert(key, held);
        return held;
    }
    void refuse(char32_t c)
    {
        if (c <= 0x10FFFF && m_pages[c >> 8])
            m_pages[c >> 8][c & 0xFF] = kRefused;
    }

private:
    static constexpr quint8 kUnknown = 0, kHeld = 1, kRefused = 2;

    // Characters that every Japanese editor writes to the bytes of their full-width look-alike,
    // and that are read back as that look-alike.
    static bool conventional(char32_t c, char32_t back)
    {
        static constexpr char32_t family[][2] = {{0x301C, 0xFF5E}, {0x2212, 0xFF0D}, {0x2016, 0x2225},
                                                 {0x2014, 0x2015}, {0x00A2, 0xFFE0}, {0x00A3, 0xFFE1},
                                                 {0x00AC, 0xFFE2}, {0x00A6, 0xFFE4}};
        for (const auto& pair : family) {
            if (pair[0] == c)
                return pair[1] == back;
        }
        return false;
    }

    // Written alone and read again, the character is itself. glibc writes some characters
    // as others (U+00A5 as "\\", U+203E as "~") and drops some (U+E0000 to U+E007F).
    bool readsBack(std::initializer_list<char32_t> characters)
    {
        if (!m_encoder.valid())
            return false;
        wchar_t wide[2];
        QString self;
        size_t n = 0;
        for (char32_t c : characters) {
            wide[n++] = wchar_t(c);
            // Not QString::fromUcs4, which takes U+FEFF for a byte-order mark and drops it.
            if (c > 0xFFFF)
                self += QChar(QChar::highSurrogate(c)), self += QChar(QChar::lowSurrogate(c));
            else
                self += QChar(char16_t(c));
        }
        char* in = reinterpret_cast<char*>(wide);
        size_t inLeft = n * sizeof(wchar_t);
        char bytes[32];
        char* out = bytes;
        size_t outLeft = sizeof bytes;
        iconv(m_encoder.handle(), nullptr, nullptr, nullptr, nullptr);
        runs += 2;
        if (iconv(m_encoder.handle(), &in, &inLeft, &out, &outLeft) == size_t(-1)
            || iconv(m_encoder.handle(), nullptr, nullptr, &out, &outLeft) == size_t(-1))
            return false;
        const QString read = m_readBack(QByteArrayView(bytes, out - bytes));
        if (read == self)
            return true;
        return n == 1 && read.size() == 1 && conventional(*characters.begin(), read[0].unicode());
    }

    Iconv m_encoder;
    const ReadBack& m_readBack;
    std::unique_ptr<quint8[]> m_pages[(0x10FFFF >> 8) + 1];
    QHash<quint64, bool> m_pairs;
};

// What may join the character before it into one character of the encoding.
bool combines(char32_t c)
{
    return QChar::isMark(c) || QChar::category(c) == QChar::Symbol_Modifier;
}

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

EncodedText encodeWithIconv(const char* charset, QStringView text, Unencodable policy, const ReadBack& readBack)
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
    Verdicts verdicts(charset, readBack);
    qsizetype refusedCount = 0;
    qsizetype firstRefused = -1;
    auto refuse = [&](char32_t c, qsizetype at, std::vector<wchar_t>& into) {
        ++refusedCount;
        if (firstRefused < 0)
            firstRefused = at;
        if (policy == Unencodable::CharacterReferences)
            appendReference(into, c);
    };

    // Characters that would not read back are taken out before the converter sees them, so
    // it runs once per piece of text however many of them there are.
    constexpr size_t kChunk = 1 << 15;
    std::vector<wchar_t> chunk;
    chunk.reserve(kChunk + 16);
    std::vector<wchar_t> reference;
    const char16_t* units = text.utf16();
    const qsizetype n = text.size();
    qsizetype pos = 0;
    char32_t previous = 0; // the last character written as itself
    while (pos < n) {
        const qsizetype chunkStart = pos;
        chunk.clear();
        while (pos < n && chunk.size() < kChunk) {
            const qsizetype at = pos;
            char32_t c = units[pos++];
            if (QChar::isHighSurrogate(c) && pos < n && QChar::isLowSurrogate(units[pos]))
                c = QChar::surrogateToUcs4(char16_t(c), units[pos++]);
            if (verdicts.held(c) || (previous && combines(c) && verdicts.heldAfter(previous, c))) {
                chunk.push_back(wchar_t(c));
                previous = c;
            } else {
                refuse(c, at, chunk);
                previous = 0;
            }
        }
        const wchar_t* in = chunk.data();
        size_t inLeft = chunk.size() * sizeof(wchar_t);
        // A character that read back alone but is refused here: not expected, still never lost
        // without a word.
        while (!convert(cd.handle(), &in, &inLeft, out) && inLeft > 0) {
            const char32_t c = char32_t(*in);
            verdicts.refuse(c);
            reference.clear();
            refuse(c, chunkStart, reference);
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
