#pragma once

#include <QByteArrayView>

// Whether the bytes are UTF-8 as the standard has it: no overlong forms, no surrogates, nothing
// past U+10FFFF, no sequence cut short. Thirty-two bytes at a time where the processor allows,
// since every page opened and every file a folder search reads is checked so.
bool isUtf8(QByteArrayView bytes);

namespace utf8check {
// The length of the UTF-8 sequence at `i` of `p` (`n` bytes), or 0 when none begins there.
inline int sequenceLength(const unsigned char* p, qsizetype n, qsizetype i)
{
    // Each following byte is looked at only when the ones before it allow a sequence.
    const auto cont = [&](qsizetype k, unsigned char low = 0x80, unsigned char high = 0xBF) {
        return i + k < n && p[i + k] >= low && p[i + k] <= high;
    };
    const unsigned char c = p[i];
    if (c >= 0xC2 && c <= 0xDF)
        return cont(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        const bool second = c == 0xE0 ? cont(1, 0xA0) : c == 0xED ? cont(1, 0x80, 0x9F) : cont(1);
        return second && cont(2) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        const bool second = c == 0xF0 ? cont(1, 0x90) : c == 0xF4 ? cont(1, 0x80, 0x8F) : cont(1);
        return second && cont(2) && cont(3) ? 4 : 0;
    }
    return 0;
}

// isUtf8 a byte at a time: for processors without the wide instructions, and for tests.
bool isUtf8ByteByByte(QByteArrayView bytes);
}
