#include "text/table_decode.h"

#include "text/byte_forms.h"
#include "text/two_halves.h"

#include <QtEndian>

#include <iconv.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace {
using uchar8 = unsigned char;

// What the converter reads from every sequence of one, two (and, in EUC-JP, three) bytes.
struct Table {
    bool usable = false;
    bool plainAscii = false; // every byte below 0x80 reads alone, as no private-use character
    bool single[256] = {};
    bool lead[256] = {}; // from 0x80, and not read alone: a byte that starts a pair
    char16_t singleUnit[256] = {};
    std::vector<char16_t> pair;   // lead << 8 | trail; 0 for none
    std::vector<char16_t> triple; // EUC-JP's 0x8F b2 b3, as b2 << 8 | b3
    // Each unit's one sequence (its bytes, the first in the lowest byte; kSeveral where more
    // than one reads as it, 0 where none does), made when first asked for.
    std::once_flag sequencesOnce;
    std::vector<quint32> sequences;
};

constexpr quint32 kSeveral = 0xFFFFFFFF;

constexpr uchar8 kTripleLead = 0x8F;

class Reader {
public:
    explicit Reader(const char* charset)
        : m_cd(iconv_open(QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE", charset))
    {
    }
    ~Reader()
    {
        if (valid())
            iconv_close(m_cd);
    }
    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // The UTF-16 units the converter makes of exactly these bytes; empty when it reads them
    // otherwise (an error, or bytes left over).
    std::u16string read(std::initializer_list<uchar8> bytes)
    {
        char in[4];
        size_t inLeft = 0;
        for (uchar8 b : bytes)
            in[inLeft++] = char(b);
        char16_t out[8];
        char* inAt = in;
        char* outAt = reinterpret_cast<char*>(out);
        size_t outLeft = sizeof out;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(m_cd, &inAt, &inLeft, &outAt, &outLeft) == size_t(-1) || inLeft != 0)
            return {};
        if (iconv(m_cd, nullptr, nullptr, &outAt, &outLeft) == size_t(-1))
            return {};
        return std::u16string(out, (sizeof out - outLeft) / 2);
    }
    char16_t readOne(std::initializer_list<uchar8> bytes)
    {
        const std::u16string units = read(bytes);
        return units.size() == 1 && units[0] != 0 ? units[0] : 0;
    }

    // readOne for each of the 256 sequences `lead` then one byte, into `units`: the sequences
    // one after another in as few calls of the converter as its errors allow, since a call for
    // each made building the tables a noticeable part of opening a page. A sequence the
    // converter does not read stops a call and reads as none. The lead of EUC-JP's three bytes,
    // whose length depends on what follows, and anything but one unit for each sequence read
    // are asked one at a time.
    void readEach(uchar8 lead, char16_t* units)
    {
        char in[512];
        for (int t = 0; t < 256; ++t) {
            in[2 * t] = char(lead);
            in[2 * t + 1] = char(t);
        }
        char16_t out[512];
        bool byOne = lead == kTripleLead;
        for (int at = 0; at < 256 && !byOne;) {
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
            char* inAt = in + 2 * at;
            size_t inLeft = size_t(512 - 2 * at);
            char* outAt = reinterpret_cast<char*>(out);
            size_t outLeft = sizeof out;
            const bool stopped = iconv(m_cd, &inAt, &inLeft, &outAt, &outLeft) == size_t(-1);
            const int consumed = int(inAt - (in + 2 * at));
            const int made = int((sizeof out - outLeft) / 2);
            byOne = consumed % 2 != 0 || made != consumed / 2 || (stopped && errno != EILSEQ);
            for (int k = 0; k < made && !byOne; ++k) {
                byOne = out[k] == 0 || QChar::isSurrogate(out[k]);
                units[at + k] = out[k];
            }
            at += consumed / 2;
            if (stopped && at < 256)
                units[at++] = 0;
        }
        if (byOne) {
            for (int t = 0; t < 256; ++t)
                units[t] = readOne({lead, uchar8(t)});
        }
    }

private:
    iconv_t m_cd;
};

std::unique_ptr<Table> build(const char* charset, bool triples)
{
    auto table = std::make_unique<Table>();
    Reader reader(charset);
    if (!reader.valid())
        return table;
    table->pair.assign(1 << 16, 0);
    for (int b = 0; b < 256; ++b) {
        const std::u16string alone = reader.read({uchar8(b)});
        if (alone.size() == 1) {
            table->single[b] = true;
            table->singleUnit[b] = alone[0];
            continue;
        }
        reader.readEach(uchar8(b), table->pair.data() + (b << 8));
    }
    if (triples) {
        table->triple.assign(1 << 16, 0);
        for (int b2 = 0xA1; b2 <= 0xFE; ++b2) {
            for (int b3 = 0xA1; b3 <= 0xFE; ++b3)
                table->triple[b2 << 8 | b3] = reader.readOne({kTripleLead, uchar8(b2), uchar8(b3)});
        }
    }
    // The lookup reads a byte that stands alone as itself whatever follows: make sure the
    // converter does so too.
    for (int b = 0; b < 256; ++b) {
        if (!table->single[b])
            continue;
        for (uchar8 next : {uchar8(0x40), uchar8(0x80), uchar8(0xA1), uchar8(0xE0)}) {
            if (table->single[next]
                && reader.read({uchar8(b), next}) != std::u16string{table->singleUnit[b], table->singleUnit[next]})
                return table;
        }
    }
    for (int b = 0x80; b < 256; ++b)
        table->lead[b] = !table->single[b];
    table->plainAscii = std::all_of(table->single, table->single + 0x80, [](bool alone) { return alone; })
        && std::none_of(table->singleUnit, table->singleUnit + 0x80, [](char16_t u) { return char16_t(u - 0xE000) < 0x1900; });
    table->usable = true;
    return table;
}

const Table* tableFor(TextEncoding encoding)
{
    static std::once_flag cp932Once, eucOnce;
    static std::unique_ptr<Table> cp932, euc;
    switch (encoding) {
    case TextEncoding::Cp932:
        std::call_once(cp932Once, [] { cp932 = build("CP932", false); });
        return cp932.get();
    case TextEncoding::EucJp:
        std::call_once(eucOnce, [] { euc = build("EUC-JP-MS", true); });
        return euc.get();
    default:
        return nullptr;
    }
}

// Where the run of bytes below 0x80 from `i` ends, eight bytes at a time.
qsizetype asciiRunEnd(const uchar8* p, qsizetype i, qsizetype n)
{
    for (quint64 word; i + 8 <= n; i += 8) {
        std::memcpy(&word, p + i, sizeof word);
        if (word & 0x8080808080808080ULL)
            break;
    }
    while (i < n && p[i] < 0x80)
        ++i;
    return i;
}

bool isPrivateUse(char16_t unit)
{
    return char16_t(unit - 0xE000) < 0x1900;
}

void noteSequence(std::vector<quint32>& sequences, char16_t unit, quint32 bytes)
{
    if (unit == 0)
        return;
    quint32& known = sequences[unit];
    known = known == 0 ? bytes : kSeveral;
}

const std::vector<quint32>& sequencesOf(Table& table)
{
    std::call_once(table.sequencesOnce, [&table] {
        table.sequences.assign(1 << 16, 0);
        for (int b = 0; b < 256; ++b) {
            if (table.single[b])
                noteSequence(table.sequences, table.singleUnit[b], quint32(b));
        }
        for (int pair = 0; pair < (1 << 16); ++pair)
            noteSequence(table.sequences, table.pair[pair], quint32(pair >> 8 | (pair & 0xFF) << 8));
        for (int pair = 0; pair < int(table.triple.size()); ++pair)
            noteSequence(table.sequences, table.triple[pair], kTripleLead | quint32(pair >> 8) << 8 | quint32(pair & 0xFF) << 16);
    });
    return table.sequences;
}
}

namespace {
// Where the run of bytes below 0x80 from `i` ends, each break in it told to `lineBreak` (which
// moves its argument past the LF of a CR LF). Sixteen bytes at a time where the processor
// allows: a walk with lines went through each byte of the markup twice.
template <typename LineBreak>
qsizetype asciiRunWithBreaks(const uchar8* p, qsizetype i, qsizetype n, LineBreak& lineBreak)
{
    qsizetype next = i; // breaks before this were told
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const unsigned high = unsigned(_mm_movemask_epi8(v));
        unsigned breaks = unsigned(_mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\r')))));
        if (high != 0)
            breaks &= (1u << __builtin_ctz(high)) - 1;
        for (; breaks != 0; breaks &= breaks - 1) {
            qsizetype at = i + __builtin_ctz(breaks);
            if (at < next)
                continue;
            lineBreak(at);
            next = at + 1;
        }
        if (high != 0)
            return i + __builtin_ctz(high);
    }
#endif
    for (i = std::max(i, next); i < n && p[i] < 0x80; ++i) {
        if (p[i] == '\n' || p[i] == '\r')
            lineBreak(i);
    }
    return i;
}

// The walk of scanByTable and walkByTable; with `kWithLines`, `lines` is told of the lines and,
// in CP932, the second forms.
template <bool kWithLines>
TableScan walk(TextEncoding encoding, QByteArrayView bytes, bool stopAtHighSingle, TableLines* lines)
{
    const Table* table = tableFor(encoding);
    if (!table || !table->usable)
        return {};
    const bool forms = kWithLines && encoding == TextEncoding::Cp932;
    const auto* p = reinterpret_cast<const uchar8*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype lineStart = 0;
    const auto lineBreak = [&](qsizetype& i) {
        lines->longestLine = std::max(lines->longestLine, i - lineStart);
        ++lines->breaks;
        if (p[i] == '\r' && i + 1 < n && p[i + 1] == '\n')
            ++i;
        lineStart = i + 1;
    };
    int privateUse = 0; // counted, so the common path has no branch on it
    for (qsizetype i = 0; i < n;) {
        const uchar8 b = p[i];
        if (b < 0x80 && table->plainAscii) {
            if constexpr (kWithLines) {
                i = asciiRunWithBreaks(p, i, n, lineBreak);
                continue;
            }
            i = asciiRunEnd(p, i + 1, n); // most of a page is markup
            continue;
        }
        if (table->single[b]) {
            if (b >= 0x80 && stopAtHighSingle)
                return {};
            if (kWithLines && (b == '\n' || b == '\r'))
                lineBreak(i);
            privateUse += isPrivateUse(table->singleUnit[b]);
            ++i;
            continue;
        }
        if (i + 1 < n) {
            if (const char16_t unit = table->pair[b << 8 | p[i + 1]]) {
                privateUse += isPrivateUse(unit);
                if (forms && mayBeCp932SecondForm(b)) {
                    const quint16 code = quint16(b << 8 | p[i + 1]);
                    const quint16 writers = cp932WritersFormOf(code);
                    // A page that holds a character in two second forms keeps the first it used.
                    if (writers != 0 && !lines->forms.contains(writers))
                        lines->forms.insert(writers, code);
                }
                i += 2;
                // Japanese text is runs of such characters: the rest of the run is taken here,
                // without going round the checks for markup and single bytes for each.
                while (i + 1 < n && table->lead[p[i]] && !(forms && mayBeCp932SecondForm(p[i]))) {
                    const char16_t next = table->pair[p[i] << 8 | p[i + 1]];
                    if (next == 0)
                        break;
                    privateUse += isPrivateUse(next);
                    i += 2;
                }
                continue;
            }
            if (b == kTripleLead && !table->triple.empty() && i + 2 < n) {
                if (const char16_t unit = table->triple[p[i + 1] << 8 | p[i + 2]]) {
                    privateUse += isPrivateUse(unit);
                    i += 3;
                    continue;
                }
            }
        }
        return {};
    }
    if (kWithLines)
        lines->longestLine = std::max(lines->longestLine, n - lineStart);
    return {true, privateUse > 0};
}
}

TableScan scanByTable(TextEncoding encoding, QByteArrayView bytes, bool stopAtHighSingle)
{
    return walk<false>(encoding, bytes, stopAtHighSingle, nullptr);
}

TableWalk walkByTable(TextEncoding encoding, QByteArrayView bytes)
{
    TableWalk found;
    found.scan = walk<true>(encoding, bytes, false, &found.lines);
    return found;
}

TableWalk walkByTableInHalves(TextEncoding encoding, QByteArrayView bytes)
{
    return walkInHalves(bytes, [encoding](QByteArrayView half) { return walkByTable(encoding, half); },
                        [](TableWalk walk, const TableWalk& after) {
                            walk.scan.read = walk.scan.read && after.scan.read;
                            walk.scan.privateUse = walk.scan.privateUse || after.scan.privateUse;
                            walk.lines.breaks += after.lines.breaks;
                            walk.lines.longestLine = std::max(walk.lines.longestLine, after.lines.longestLine);
                            // A page that holds a character in two second forms keeps the first it used.
                            for (auto form = after.lines.forms.cbegin(); form != after.lines.forms.cend(); ++form) {
                                if (!walk.lines.forms.contains(form.key()))
                                    walk.lines.forms.insert(form.key(), form.value());
                            }
                            return walk;
                        });
}

std::optional<QByteArray> onlyBytesOf(TextEncoding encoding, QStringView text)
{
    Table* table = const_cast<Table*>(tableFor(encoding));
    if (!table || !table->usable)
        return std::nullopt;
    const std::vector<quint32>& sequences = sequencesOf(*table);
    QByteArray bytes;
    for (const QChar c : text) {
        quint32 sequence = sequences[c.unicode()];
        if (sequence == 0 || sequence == kSeveral)
            return std::nullopt;
        do {
            bytes.append(char(sequence & 0xFF));
            sequence >>= 8;
        } while (sequence != 0);
    }
    return bytes;
}

std::optional<QString> decodeByTable(TextEncoding encoding, QByteArrayView bytes)
{
    const Table* table = tableFor(encoding);
    if (!table || !table->usable)
        return std::nullopt;
    // One unit a byte at most, as the converter's reader allocates.
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    char16_t* const start = out;
    const auto* p = reinterpret_cast<const uchar8*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const uchar8 b = p[i];
        if (table->single[b]) {
            *out++ = table->singleUnit[b];
            ++i;
            continue;
        }
        if (i + 1 < n) {
            if (const char16_t unit = table->pair[b << 8 | p[i + 1]]) {
                *out++ = unit;
                i += 2;
                continue;
            }
            if (b == kTripleLead && !table->triple.empty() && i + 2 < n) {
                if (const char16_t unit = table->triple[p[i + 1] << 8 | p[i + 2]]) {
                    *out++ = unit;
                    i += 3;
                    continue;
                }
            }
        }
        return std::nullopt;
    }
    text.truncate(out - start);
    if (text.capacity() - text.size() > 1 << 20)
        text.squeeze();
    return text;
}

bool tableReadsOnlyItsForms(TextEncoding encoding)
{
    const auto within = [](TextEncoding e, auto singleFits, auto pairFits) {
        const Table* table = tableFor(e);
        if (!table || !table->usable)
            return false;
        for (int b = 0x80; b < 0x100; ++b) {
            if (table->single[b] && !singleFits(b))
                return false;
        }
        for (int pair = 0; pair < (1 << 16); ++pair) {
            if (table->pair[pair] && !pairFits(pair >> 8, pair & 0xFF))
                return false;
        }
        return true; // EUC-JP's triples are made of its forms only
    };
    const auto in = [](int b, int low, int high) { return b >= low && b <= high; };
    static const bool cp932 = within(
        TextEncoding::Cp932, [&](int b) { return in(b, 0xA1, 0xDF); },
        [&](int lead, int trail) {
            return (in(lead, 0x81, 0x9F) || in(lead, 0xE0, 0xFC)) && (in(trail, 0x40, 0x7E) || in(trail, 0x80, 0xFC));
        });
    static const bool eucJp = within(
        TextEncoding::EucJp, [](int) { return true; },
        [&](int lead, int trail) { return lead == 0x8E ? in(trail, 0xA1, 0xDF) : in(lead, 0xA1, 0xFE) && in(trail, 0xA1, 0xFE); });
    return encoding == TextEncoding::Cp932 ? cp932 : encoding == TextEncoding::EucJp && eucJp;
}

bool tableMayRead(TextEncoding encoding, std::initializer_list<char16_t> units)
{
    Table* table = const_cast<Table*>(tableFor(encoding));
    if (!table || !table->usable)
        return true;
    const std::vector<quint32>& sequences = sequencesOf(*table);
    return std::any_of(units.begin(), units.end(), [&](char16_t unit) { return sequences[unit] != 0; });
}
