#pragma once

#include "text/table_decode.h"

#include "text/declared_charset.h"
#include "text/text_encoding.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// Which encoding a file is in, from its bytes and the charset its text declares.
//
// A byte-order mark decides. Seven-bit bytes are ISO-2022-JP when they hold its escape
// sequences, else the declared charset (UTF-8 when none). Valid UTF-8 is UTF-8. Otherwise
// a declared EUC-JP or Shift_JIS that the bytes fit; then UTF-8 when it is so but for a few
// stray bytes; then whichever of EUC-JP and CP932 the bytes fit best (CP932 on a tie, as
// Japanese Windows writes). UTF-16 without a mark is told by its zero bytes, or for Japanese
// text with little ASCII, by the pattern of its units.
TextEncoding guessEncoding(QByteArrayView bytes);
EncodingGuess guessEncodingOf(QByteArrayView bytes);
// The same; where it reads the bytes through CP932's table, it also finds their lines and second
// forms, on two cores for a large page (`cp932Walk`), so a large page is walked once.
EncodingGuess guessEncodingOf(QByteArrayView bytes, std::optional<TableWalk>* cp932Walk);

// The Japanese multi-byte encodings to try reading `bytes` in, when guessEncoding gave
// `guessed` (one of them): the declared one first, then the guessed one's family, common form
// first (CP932 before Shift_JIS-2004, EUC-JP before EUC-JIS-2004), then the other family where
// the bytes fit it as well. The reader takes the declared one if it reads without error, else
// the first reading with no private-use character.
QList<TextEncoding> japaneseReadings(QByteArrayView bytes, TextEncoding guessed);
bool isJapaneseMultiByte(TextEncoding encoding);

// Whether `text`, read from `bytes` in the Japanese `encoding`, is a page in an encoding the
// editor does not read: by the charset it declares, or by its characters. The name (or names)
// of that encoding; empty when the page is what it was read as.
QString foreignEncodingOf(QByteArrayView bytes, TextEncoding encoding, QStringView text);
