#include "text/utf8_check.h"

#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define VORNIK_WIDE_UTF8 1
#endif

namespace {
using uchar8 = unsigned char;
}

namespace utf8check {
bool isUtf8ByteByByte(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const uchar8*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        if (p[i] < 0x80) {
            ++i;
        } else if (const int length = sequenceLength(p, n, i)) {
            i += length;
        } else {
            return false;
        }
    }
    return true;
}
}

#ifdef VORNIK_WIDE_UTF8
namespace {
// Each byte and the one before it are looked up by their halves in three small tables; a
// fault sets a bit in all three. Whether a third or fourth byte is a continuation comes from
// the leads two and three bytes back. This is the well-known table method for UTF-8 checking.
enum : uchar8 {
    TooShort = 1 << 0, // a lead not followed by a continuation
    TooLong = 1 << 1,  // a continuation after ASCII
    Overlong3 = 1 << 2,
    TooLarge = 1 << 3,
    Surrogate = 1 << 4,
    Overlong2 = 1 << 5,
    TooLarge1000 = 1 << 6,
    Overlong4 = 1 << 6,
    TwoConts = 1 << 7, // a continuation after a continuation: fine only inside a sequence
    Carry = TooShort | TooLong | TwoConts,
};

__attribute__((target("avx2"))) inline __m256i table16(uchar8 a0, uchar8 a1, uchar8 a2, uchar8 a3, uchar8 a4,
                                                        uchar8 a5, uchar8 a6, uchar8 a7, uchar8 a8, uchar8 a9,
                                                        uchar8 a10, uchar8 a11, uchar8 a12, uchar8 a13, uchar8 a14,
                                                        uchar8 a15)
{
    return _mm256_setr_epi8(char(a0), char(a1), char(a2), char(a3), char(a4), char(a5), char(a6), char(a7), char(a8),
                            char(a9), char(a10), char(a11), char(a12), char(a13), char(a14), char(a15), char(a0),
                            char(a1), char(a2), char(a3), char(a4), char(a5), char(a6), char(a7), char(a8), char(a9),
                            char(a10), char(a11), char(a12), char(a13), char(a14), char(a15));
}

// The 32 bytes shifted back by N, the last N of `previous` coming in at the front.
template <int N>
__attribute__((target("avx2"))) inline __m256i before(__m256i input, __m256i previous)
{
    return _mm256_alignr_epi8(input, _mm256_permute2x128_si256(previous, input, 0x21), 16 - N);
}

__attribute__((target("avx2"))) inline __m256i highNibbles(__m256i v)
{
    return _mm256_and_si256(_mm256_srli_epi16(v, 4), _mm256_set1_epi8(0x0F));
}

struct Wide {
    __m256i error;
    __m256i previous;
    __m256i incomplete; // leads in the last bytes of the block before, whose sequence goes on
};

__attribute__((target("avx2"))) inline void checkBlock(Wide& w, __m256i input)
{
    if (_mm256_movemask_epi8(input) == 0) { // all ASCII: only a sequence left open is wrong
        w.error = _mm256_or_si256(w.error, w.incomplete);
        w.previous = input;
        w.incomplete = _mm256_setzero_si256();
        return;
    }
    const __m256i prev1 = before<1>(input, w.previous);
    const __m256i byte1High = _mm256_shuffle_epi8(
        table16(TooLong, TooLong, TooLong, TooLong, TooLong, TooLong, TooLong, TooLong, TwoConts, TwoConts, TwoConts,
                TwoConts, TooShort | Overlong2, TooShort, TooShort | Overlong3 | Surrogate,
                TooShort | TooLarge | TooLarge1000 | Overlong4),
        highNibbles(prev1));
    constexpr uchar8 Big = Carry | TooLarge | TooLarge1000;
    const __m256i byte1Low = _mm256_shuffle_epi8(
        table16(Carry | Overlong3 | Overlong2 | Overlong4, Carry | Overlong2, Carry, Carry, Carry | TooLarge, Big, Big,
                Big, Big, Big, Big, Big, Big, Big | Surrogate, Big, Big),
        _mm256_and_si256(prev1, _mm256_set1_epi8(0x0F)));
    constexpr uchar8 Cont8 = TooLong | Overlong2 | TwoConts | Overlong3 | TooLarge1000 | Overlong4;
    constexpr uchar8 Cont9 = TooLong | Overlong2 | TwoConts | Overlong3 | TooLarge;
    constexpr uchar8 ContAB = TooLong | Overlong2 | TwoConts | Surrogate | TooLarge;
    const __m256i byte2High = _mm256_shuffle_epi8(
        table16(TooShort, TooShort, TooShort, TooShort, TooShort, TooShort, TooShort, TooShort, Cont8, Cont9, ContAB,
                ContAB, TooShort, TooShort, TooShort, TooShort),
        highNibbles(input));
    const __m256i special = _mm256_and_si256(_mm256_and_si256(byte1High, byte1Low), byte2High);

    // A third byte after a three- or four-byte lead, a fourth after a four-byte lead: these
    // must be continuations, and only these may follow a continuation.
    const __m256i prev2 = before<2>(input, w.previous);
    const __m256i prev3 = before<3>(input, w.previous);
    const __m256i third = _mm256_subs_epu8(prev2, _mm256_set1_epi8(char(0xE0 - 0x80)));
    const __m256i fourth = _mm256_subs_epu8(prev3, _mm256_set1_epi8(char(0xF0 - 0x80)));
    const __m256i mustBeContinuation = _mm256_and_si256(_mm256_or_si256(third, fourth), _mm256_set1_epi8(char(0x80)));
    w.error = _mm256_or_si256(w.error, _mm256_xor_si256(mustBeContinuation, special));

    // Leads too near the block's end to have their sequence in it.
    const __m256i last = _mm256_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                          -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, char(0xF0 - 1), char(0xE0 - 1),
                                          char(0xC0 - 1));
    w.incomplete = _mm256_subs_epu8(input, last);
    w.previous = input;
}

__attribute__((target("avx2"))) bool isUtf8Wide(QByteArrayView bytes)
{
    const char* p = bytes.data();
    const qsizetype n = bytes.size();
    Wide w{_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256()};
    qsizetype i = 0;
    for (; i + 32 <= n; i += 32) {
        checkBlock(w, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i)));
        if ((i & 4095) == 0 && !_mm256_testz_si256(w.error, w.error))
            return false; // a page that is not UTF-8 is seldom read to its end
    }
    if (i < n) {
        alignas(32) char tail[32] = {}; // padded with ASCII
        std::memcpy(tail, p + i, size_t(n - i));
        checkBlock(w, _mm256_load_si256(reinterpret_cast<const __m256i*>(tail)));
    }
    const __m256i error = _mm256_or_si256(w.error, w.incomplete);
    return _mm256_testz_si256(error, error);
}

bool wideAvailable()
{
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}
}
#endif

bool isUtf8(QByteArrayView bytes)
{
#ifdef VORNIK_WIDE_UTF8
    if (wideAvailable())
        return isUtf8Wide(bytes);
#endif
    return utf8check::isUtf8ByteByByte(bytes);
}
