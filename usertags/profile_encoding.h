#pragma once

#include "text/text_encoding.h"

#include <QByteArray>
#include <QString>

// How a profile file stores its text. UTF-16 files (known by their byte-order mark) are
// scanned and written through their UTF-8 form, so the line scanner and the writer deal with
// 8-bit bytes only and every line they leave alone goes back exactly as it was.
enum class ProfileEncoding { Utf8, Cp932, Utf16Le, Utf16Be };

struct ScanBytes {
    QByteArray bytes; // the file itself, or for UTF-16 its text in UTF-8 without the mark
    ProfileEncoding encoding = ProfileEncoding::Utf8;
    // False when the scanned bytes cannot be turned back into the file's own bytes: UTF-16
    // that is not whole (an odd byte, a lone surrogate), or NUL bytes in a file without a
    // byte-order mark (UTF-16 without one, or not text at all). Such a file is read, never
    // written.
    bool writable = true;
};

// UTF-16 by its mark; UTF-8 by its mark (kept in the bytes) and valid; else, from the whole file, UTF-8
// when it is valid UTF-8, CP932 otherwise, except that valid UTF-8 with no character beyond
// U+07FF that is also whole CP932 is CP932 (half-width katakana). An empty or ASCII file counts
// as UTF-8.
ScanBytes scanBytes(QByteArray file);

// The file's bytes again for scanned bytes of that encoding.
QByteArray fileBytes(const QByteArray& scanned, ProfileEncoding encoding);

// The 8-bit encoding the scanned bytes are in.
TextEncoding scanEncoding(ProfileEncoding encoding);

bool isUtf16(ProfileEncoding encoding);

// For the user: "UTF-8", "Shift_JIS", "UTF-16LE", "UTF-16BE".
QString profileEncodingName(ProfileEncoding encoding);
