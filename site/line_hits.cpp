#include "site/line_hits.h"

#include "text/table_decode.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
// A required text of one character is on nearly every line: reading the page whole is quicker.
constexpr qsizetype kShortestRequired = 2;

template <typename Unit>
bool isBreak(Unit u)
{
    return u == Unit('\n') || u == Unit('\r');
}

template <typename Unit>
quint64 load(const Unit* p)
{
    quint64 w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// The high bit of each lane of `w` that holds `c`.
template <typename Unit>
quint64 lanesOf(quint64 w, Unit c)
{
    constexpr quint64 ones = sizeof(Unit) == 1 ? 0x0101010101010101ULL : 0x0001000100010001ULL;
    constexpr quint64 high = ones << (8 * sizeof(Unit) - 1);
    const quint64 x = w ^ (ones * quint64(c)); // a lane of c is now zero
    return ~(((x & ~high) + ~high) | x) & high;
}

// How many lanes a mask from lanesOf marks, without a population count instruction, which
// the processors the program is built for need not have.
template <typename Unit>
qsizetype lanesIn(quint64 mask)
{
    constexpr quint64 ones = sizeof(Unit) == 1 ? 0x0101010101010101ULL : 0x0001000100010001ULL;
    return qsizetype(((mask >> (8 * sizeof(Unit) - 1)) * ones) >> (64 - 8 * sizeof(Unit)));
}

// The breaks in [from, to), eight bytes at a time (every hit needs the lines before it
// counted, and those are most of a page): a CR LF counts once. Neither end cuts a CR LF.
template <typename Unit>
int breaksIn(const Unit* p, qsizetype from, qsizetype to)
{
    constexpr qsizetype lanes = 8 / sizeof(Unit);
    constexpr Unit cr = Unit('\r');
    constexpr Unit lf = Unit('\n');
    qsizetype breaks = 0;
    qsizetype i = from;
    for (; i + lanes < to; i += lanes) {
        const quint64 w = load(p + i);
        const quint64 crs = lanesOf(w, cr);
        breaks += lanesIn<Unit>(lanesOf(w, lf)) + lanesIn<Unit>(crs) - lanesIn<Unit>(crs & lanesOf(load(p + i + 1), lf));
    }
    for (; i < to; ++i)
        breaks += p[i] == lf || (p[i] == cr && !(i + 1 < to && p[i + 1] == lf));
    return int(breaks);
}

#if defined(__SSE2__)
// The same for bytes, sixteen at a time: the bytes most of a search reads.
int breaksIn(const char* p, qsizetype from, qsizetype to)
{
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    qsizetype breaks = 0;
    qsizetype i = from;
    while (i + 16 < to) {
        // Each lane counts up to 255 before the lanes are summed.
        __m128i counts = _mm_setzero_si128();
        for (int round = 0; round < 255 && i + 16 < to; ++round, i += 16) {
            const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
            const __m128i crs = _mm_cmpeq_epi8(w, cr);
            const __m128i lone = _mm_andnot_si128(_mm_cmpeq_epi8(next, lf), crs); // a CR not before an LF
            counts = _mm_sub_epi8(counts, _mm_or_si128(_mm_cmpeq_epi8(w, lf), lone));
        }
        const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
        breaks += _mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4);
    }
    for (; i < to; ++i)
        breaks += p[i] == '\n' || (p[i] == '\r' && !(i + 1 < to && p[i + 1] == '\n'));
    return int(breaks);
}
#endif

void hitsOnLine(QStringView line, int number, const TextSearch& search, FileHits& into)
{
    const SearchRange range{0, line.size()};
    for (qsizetype from = 0; from <= line.size();) {
        const std::optional<FoundMatch> found = search.find(line, from, SearchDirection::Forward, range);
        if (!found || found->wrapped)
            return;
        const TextMatch m = found->match;
        ++into.count;
        if (into.hits.size() < FileHits::kMaxKeptHits)
            into.hits.append(shownHit(line, number, m));
        from = m.length > 0 ? m.end() : m.start + 1;
    }
}

// From each place `find` gives, the line around it is searched; then the look goes on after it.
template <typename Unit, typename Find, typename LineText>
void collectByLine(const Unit* p, qsizetype n, Find find, LineText lineText, const TextSearch& search, FileHits& into)
{
    int line = 1;
    qsizetype countedTo = 0;
    for (qsizetype at = find(0); at >= 0;) {
        qsizetype start = at;
        while (start > 0 && !isBreak(p[start - 1]))
            --start;
        qsizetype end = at;
        while (end < n && !isBreak(p[end]))
            ++end;
        line += breaksIn(p, countedTo, start);
        countedTo = start;
        hitsOnLine(lineText(start, end), line, search, into);
        if (end >= n)
            break;
        at = find(end);
    }
}

unsigned char asciiLower(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? c | 0x20 : c;
}
}

LineHitFinder::LineHitFinder(const TextSearch& search)
    : m_search(search)
{
    const TextSearch::RequiredText required = search.requiredText();
    if (required.text.size() < kShortestRequired)
        return;
    m_required = required.text;
    m_asciiCaseless = required.asciiCaseless;
    m_requiredUtf8 = m_required.toUtf8();
    if (m_asciiCaseless) {
        for (char& c : m_requiredUtf8)
            c = char(asciiLower(static_cast<unsigned char>(c)));
    }
    m_matcher = QStringMatcher(m_required, m_asciiCaseless ? Qt::CaseInsensitive : Qt::CaseSensitive);
}

void LineHitFinder::collect(QStringView text, FileHits& into) const
{
    collectByLine(
        text.utf16(), text.size(), [&](qsizetype from) { return m_matcher.indexIn(text, from); },
        [&](qsizetype start, qsizetype end) { return text.sliced(start, end - start); }, m_search, into);
}

void LineHitFinder::collectUtf8(QByteArrayView bytes, FileHits& into) const
{
    collectBytes(bytes, m_requiredUtf8, TextEncoding::Utf8, into);
}

bool LineHitFinder::collectEncoded(QByteArrayView bytes, TextEncoding encoding, FileHits& into) const
{
    // Caselessly, the other ASCII case must have one form as well; the page's bytes and these
    // are both looked at with A to Z as a to z, so a trail byte among them matches as itself.
    const std::optional<QByteArray> required = onlyBytesOf(encoding, m_required);
    if (!required || (m_asciiCaseless && (!onlyBytesOf(encoding, m_required.toLower()) || !onlyBytesOf(encoding, m_required.toUpper()))))
        return false;
    QByteArray looked = *required;
    if (m_asciiCaseless) {
        for (char& c : looked)
            c = char(asciiLower(static_cast<unsigned char>(c)));
    }
    collectBytes(bytes, looked, encoding, into);
    return true;
}

void LineHitFinder::collectBytes(QByteArrayView bytes, QByteArrayView required, TextEncoding encoding, FileHits& into) const
{
    // A place the bytes are found may start inside a character: the line is read and searched
    // all the same, and finds nothing there.
    collectByLine(
        bytes.data(), bytes.size(), [&](qsizetype from) { return findBytes(bytes, required, from); },
        [&](qsizetype start, qsizetype end) { return decodeText(bytes.sliced(start, end - start), encoding).text; },
        m_search, into);
}

qsizetype LineHitFinder::findBytes(QByteArrayView bytes, QByteArrayView required, qsizetype from) const
{
    const qsizetype length = required.size();
    if (!m_asciiCaseless) {
        const void* at = memmem(bytes.data() + from, size_t(bytes.size() - from), required.data(), size_t(length));
        return at ? static_cast<const char*>(at) - bytes.data() : -1;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* want = reinterpret_cast<const unsigned char*>(required.data());
    for (qsizetype i = from; i + length <= bytes.size(); ++i) {
        if (asciiLower(p[i]) != want[0])
            continue;
        qsizetype k = 1;
        while (k < length && asciiLower(p[i + k]) == want[k])
            ++k;
        if (k == length)
            return i;
    }
    return -1;
}
