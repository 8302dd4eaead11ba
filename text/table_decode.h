#pragma once

#include "text/text_encoding.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// CP932 and EUC-JP read a table lookup a character, not a call through the converter. The
// tables are the converter's own answers for every character, asked once a process, so the
// text is the one the converter gives. Nothing (the caller reads through the converter) for
// other encodings and for bytes the tables do not know: an invalid or cut-off sequence, which
// the converter reads and reports in its own way.
std::optional<QString> decodeByTable(TextEncoding encoding, QByteArrayView bytes);
