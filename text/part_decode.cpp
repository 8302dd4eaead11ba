#include "text/part_decode.h"

#include "text/encoding_guess.h"
#include "text/utf8_check.h"
#include "text/line_breaks.h"
#include "text/table_decode.h"
#include "text/two_halves.h"

#include <sys/mman.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cstring>
#include <thread>
#include <vector>

namespace {
// About this much a part; the first at least as much as tells a foreign page (64K characters).
constexpr qsizetype kPartBytes = 2 << 20;
// Parts read and not yet taken by the box, at most.
constexpr qsizetype kPartsAhead = 3;

// Ends of the parts: each right after a line break (a CR or LF byte is always that character
// in UTF-8, Shift_JIS and EUC-JP, so no character is cut; nor is a CR LF).
std::vector<qsizetype> partEnds(QByteArrayView bytes)
{
    std::vector<qsizetype> ends;
    const qsizetype n = bytes.size();
    qsizetype from = 0;
    while (from < n) {
        qsizetype at = std::min(n, from + kPartBytes);
        while (at < n && bytes[at] != '\n' && bytes[at] != '\r')
            ++at;
        if (at < n)
            at += bytes[at] == '\r' && at + 1 < n && bytes[at + 1] == '\n' ? 2 : 1;
        ends.push_back(at);
        from = at;
    }
    if (ends.empty())
        ends.push_back(0); // an empty page is one empty part
    return ends;
}

// The lines of a UTF-8 part's bytes, and whether the characters that part lines otherwise are
// found in them. Sixteen bytes at a time: the breaks are found by mask, and the separators
// (E2 80 A8/A9, EF B7 90/91) by comparing three loads, since the leads E2 and EF are common in
// Japanese text (full-width forms) and a branch on each was most of the walk.
PartReader::Lines linesOf(QByteArrayView bytes)
{
    PartReader::Lines lines;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype lineStart = 0;
    const auto lineEnds = [&](qsizetype at) { // the break at `at`; a CR LF's LF is skipped
        if (p[at] == '\n' && at > 0 && p[at - 1] == '\r')
            return;
        lines.longestLine = std::max(lines.longestLine, at - lineStart);
        ++lines.breaks;
        lineStart = at + (p[at] == '\r' && at + 1 < n && p[at + 1] == '\n' ? 2 : 1);
    };
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    __m128i separators = _mm_setzero_si128();
    for (; i + 18 <= n; i += 16) {
        const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
        const __m128i b2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 2));
        const __m128i e2 = _mm_and_si128(_mm_cmpeq_epi8(b0, _mm_set1_epi8(char(0xE2))),
                                         _mm_cmpeq_epi8(b1, _mm_set1_epi8(char(0x80))));
        const __m128i ef = _mm_and_si128(_mm_cmpeq_epi8(b0, _mm_set1_epi8(char(0xEF))),
                                         _mm_cmpeq_epi8(b1, _mm_set1_epi8(char(0xB7))));
        // A8/A9 and 90/91 differ from A8 and 90 in the lowest bit only.
        const __m128i third = _mm_andnot_si128(_mm_set1_epi8(1), b2);
        separators = _mm_or_si128(separators, _mm_and_si128(e2, _mm_cmpeq_epi8(third, _mm_set1_epi8(char(0xA8)))));
        separators = _mm_or_si128(separators, _mm_and_si128(ef, _mm_cmpeq_epi8(third, _mm_set1_epi8(char(0x90)))));
        for (unsigned mask = unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(b0, lf), _mm_cmpeq_epi8(b0, cr))));
             mask != 0; mask &= mask - 1)
            lineEnds(i + qsizetype(__builtin_ctz(mask)));
    }
    lines.separators = _mm_movemask_epi8(separators) != 0;
#endif
    for (; i < n; ++i) {
        const unsigned char c = p[i];
        if (c == '\n' || c == '\r') {
            lineEnds(i);
        } else if ((c == 0xE2 || c == 0xEF) && i + 2 < n
                   && ((c == 0xE2 && p[i + 1] == 0x80 && (p[i + 2] == 0xA8 || p[i + 2] == 0xA9))
                       || (c == 0xEF && p[i + 1] == 0xB7 && (p[i + 2] == 0x90 || p[i + 2] == 0x91)))) {
            lines.separators = true;
        }
    }
    lines.longestLine = std::max(lines.longestLine, n - lineStart);
    return lines;
}

// The pages of [from, to) that are read no more are given back to the system: a buffer
// cannot be shortened at its front, but the pages under it can go.
void letGo(QByteArray& bytes, qsizetype from, qsizetype to)
{
    static const qsizetype page = sysconf(_SC_PAGESIZE);
    const auto base = reinterpret_cast<quintptr>(bytes.data());
    const quintptr start = (base + quintptr(from) + page - 1) / page * page;
    const quintptr end = (base + quintptr(to)) / page * page;
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED);
}
}

std::unique_ptr<PartReader> PartReader::open(QByteArray& bytes, std::function<void(QStringView)> onPart)
{
    // A Shift_JIS page is walked through its table as the guess weighs it: its lines, whether
    // it reads and its second forms are known then.
    std::optional<TableWalk> walked;
    const EncodingGuess guess = guessEncodingOf(bytes, &walked);
    std::unique_ptr<PartReader> reader(new PartReader);
    reader->m_encoding = guess.encoding;
    switch (guess.encoding) {
    case TextEncoding::Utf8Bom:
        reader->m_skip = 3;
        [[fallthrough]];
    case TextEncoding::Utf8:
        reader->m_undecodable = !guess.validUtf8 && !isUtf8(QByteArrayView(bytes).sliced(reader->m_skip));
        break;
    case TextEncoding::Cp932:
    case TextEncoding::EucJp:
        reader->m_byTable = true; // only as the usual page: once, in the guessed encoding (below)
        break;
    default:
        return nullptr;
    }
    if (!bytes.isDetached())
        return nullptr; // shared: its pages are not ours to give back
    const QByteArrayView body = QByteArrayView(bytes).sliced(reader->m_skip);
    reader->m_ends = partEnds(body);
    const qsizetype count = reader->partCount();
    // What the bytes say, on both cores for a large page: the lines; through a table, that every
    // byte reads and whether a private-use character does, and the forms of the second bytes.
    const TextEncoding encoding = guess.encoding;
    if (reader->m_byTable) {
        // A Shift_JIS page was walked so by the guess.
        const TableWalk whole = walked && encoding == TextEncoding::Cp932
            ? *std::move(walked)
            : walkByTableInHalves(encoding, body);
        if (!whole.scan.read || !readsAsGuessedAlone(bytes, encoding, whole.scan.privateUse))
            return nullptr;
        reader->m_lines = {whole.lines.breaks, whole.lines.longestLine,
                           tableMayRead(encoding, {0x2028, 0x2029, 0xFDD0, 0xFDD1})};
        reader->m_forms = whole.lines.forms;
    } else {
        reader->m_lines = walkInHalves(body, linesOf, [](Lines first, const Lines& second) {
            first.breaks += second.breaks;
            first.longestLine = std::max(first.longestLine, second.longestLine);
            first.separators = first.separators || second.separators;
            return first;
        });
    }

    reader->m_bytes = std::exchange(bytes, QByteArray());
    reader->m_onPart = std::move(onPart);
    reader->m_parts.resize(size_t(count));
    // A Chinese or Korean page tells itself in its first 64K characters, all in the first part
    // as read; the bytes are all still there to be looked at.
    QString first = reader->read(0);
    reader->m_foreign = foreignEncodingOf(reader->m_bytes, encoding, first);
    reader->keep(0, std::move(first));
    reader->m_reader = std::thread([r = reader.get()] { r->readRest(); });
    return reader;
}

PartReader::~PartReader()
{
    {
        const std::lock_guard guard(m_lock);
        m_stopping = true; // parts not taken are not read
    }
    m_taken.notify_all();
    if (m_reader.joinable())
        m_reader.join();
}

QByteArrayView PartReader::slice(qsizetype i) const
{
    const qsizetype from = i == 0 ? 0 : m_ends[size_t(i - 1)];
    return QByteArrayView(m_bytes).sliced(m_skip + from, m_ends[size_t(i)] - from);
}

QString PartReader::read(qsizetype i)
{
    if (!m_byTable)
        return decodeUtf8Text(slice(i));
    if (std::optional<QString> text = decodeByTable(m_encoding, slice(i)))
        return *std::move(text);
    // The scan read every byte, so this does not happen; were it to, the part reads as the
    // whole page would, through the converter, and is marked so a save asks first.
    DecodedText asWhole = decodeText(slice(i), m_encoding);
    if (asWhole.undecodable) {
        const std::lock_guard guard(m_lock);
        m_undecodable = true;
    }
    return asWhole.text;
}

void PartReader::keep(qsizetype i, QString text)
{
    const LineBreakCount breaks = countLineBreaks(text);
    if (breaks.lf + breaks.cr > 0)
        text = linebreak::withBreaks(text, u"\r\n");
    if (m_onPart)
        m_onPart(text);
    const qsizetype from = i == 0 ? 0 : m_ends[size_t(i - 1)];
    letGo(m_bytes, m_skip + from, m_skip + m_ends[size_t(i)]);
    {
        const std::lock_guard guard(m_lock);
        m_parts[size_t(i)] = std::move(text);
        m_breaks += breaks;
        ++m_read;
    }
    m_readOne.notify_all();
}

void PartReader::readRest()
{
    for (qsizetype i = 1; i < partCount(); ++i) {
        {
            // A few parts ahead of the box at most: read parts wait as text, and the page
            // would be held in more forms than it must.
            std::unique_lock guard(m_lock);
            m_taken.wait(guard, [&] { return m_stopping || m_read - m_takenCount < kPartsAhead; });
            if (m_stopping)
                return;
        }
        keep(i, read(i));
    }
}

QString PartReader::take(qsizetype i)
{
    QString part;
    {
        std::unique_lock guard(m_lock);
        m_readOne.wait(guard, [&] { return m_read > i; });
        part = std::exchange(m_parts[size_t(i)], QString());
        ++m_takenCount;
    }
    m_taken.notify_all();
    return part;
}

void PartReader::waitForAll()
{
    std::unique_lock guard(m_lock);
    m_readOne.wait(guard, [&] { return m_read == partCount(); });
}

LineEnding PartReader::lineEnding()
{
    waitForAll();
    const std::lock_guard guard(m_lock);
    return m_breaks.ending();
}

bool PartReader::undecodable()
{
    waitForAll();
    const std::lock_guard guard(m_lock);
    return m_undecodable;
}

std::optional<DecodedParts> decodeInParts(QByteArray& bytes)
{
    const std::unique_ptr<PartReader> reader = PartReader::open(bytes);
    if (!reader)
        return std::nullopt;
    DecodedParts decoded;
    for (qsizetype i = 0; i < reader->partCount(); ++i)
        decoded.parts.append(reader->take(i));
    decoded.encoding = reader->encoding();
    decoded.lineEnding = reader->lineEnding();
    decoded.undecodable = reader->undecodable();
    decoded.foreignEncoding = reader->foreignEncoding();
    decoded.forms = reader->forms();
    return decoded;
}
