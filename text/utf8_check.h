#pragma once

#include <QByteArrayView>

// Whether the bytes are UTF-8 as the standard has it: no overlong forms, no surrogates, nothing
// past U+10FFFF, no sequence cut short. Thirty-two bytes at a time where the processor allows,
// since every page opened and every file a folder search reads is checked so.
bool isUtf8(QByteArrayView bytes);

namespace utf8check {
// The same a byte at a time: for processors without the wide instructions, and for tests.
bool isUtf8ByteByByte(QByteArrayView bytes);
}
