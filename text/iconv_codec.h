#pragma once

#include "text/text_encoding.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <functional>

// The legacy Japanese encodings, through glibc's converter (`charset` is its name for one).

// Bytes to text. A byte the converter cannot read becomes one U+FFFD and sets *undecodable.
QString decodeWithIconv(const char* charset, QByteArrayView bytes, bool* undecodable = nullptr);

// How the encoding's bytes are read, to see what a written character comes back as.
using ReadBack = std::function<QString(QByteArrayView bytes)>;

// Text to bytes. A character counts as held only when its bytes, read with `readBack`, give
// the character again (or, for the few Japanese editors write to their full-width look-alike,
// that look-alike); every other one is unencodable. The time is linear in the text also when
// much of it cannot be held: each distinct character is asked about once, not each occurrence.
EncodedText encodeWithIconv(const char* charset, QStringView text, Unencodable policy, const ReadBack& readBack);

// How many times the converter has been run, so a test can see the work stays linear.
qint64 iconvRuns();
