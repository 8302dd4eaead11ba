#pragma once

#include "text/text_encoding.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// The charset a page names for itself, read from its first 64 KB.

// The Japanese encoding (or UTF) a charset name stands for, as pages write them ("x-sjis",
// "EUC-JP", "csISO2022JP" ...), without regard to case.
std::optional<TextEncoding> encodingNamed(QByteArrayView name);

// The charset named by a <meta charset>, a Content-Type meta or an XML declaration.
std::optional<TextEncoding> declaredEncoding(QByteArrayView bytes);
// The same for a Chinese or Korean charset, which the editor does not read: its name as
// declared, in capitals; empty when none (or a Japanese one is named first).
QString declaredForeignEncoding(QByteArrayView bytes);
