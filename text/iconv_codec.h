#pragma once

#include "text/text_encoding.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The legacy Japanese encodings, through glibc's converter (`charset` is its name for one).

// Bytes to text. A byte the converter cannot read becomes one U+FFFD and sets *undecodable.
QString decodeWithIconv(const char* charset, QByteArrayView bytes, bool* undecodable = nullptr);

// Text to bytes, in time linear in the text also when much of it cannot be held: the
// converter is asked about each distinct unencodable character once, not each occurrence.
EncodedText encodeWithIconv(const char* charset, QStringView text, Unencodable policy);

// How many times the converter has been run, so a test can see the work stays linear.
qint64 iconvRuns();
