#pragma once

#include "text/text_encoding.h"

#include <QByteArrayView>

#include <optional>

// Which encoding a file is in, from its bytes and the charset its text declares.
//
// A byte-order mark decides. Seven-bit bytes are ISO-2022-JP when they hold its escape
// sequences, else the declared charset (UTF-8 when none). Valid UTF-8 is UTF-8. Otherwise
// a declared EUC-JP or Shift_JIS that the bytes fit; then UTF-8 when it is so but for a few
// stray bytes; then whichever of EUC-JP and CP932 the bytes fit best (CP932 on a tie, as
// Japanese Windows writes).
TextEncoding guessEncoding(QByteArrayView bytes);

// The charset named by a <meta charset>, a Content-Type meta or an XML declaration.
std::optional<TextEncoding> declaredEncoding(QByteArrayView bytes);
