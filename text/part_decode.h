#pragma once

#include "text/byte_forms.h"
#include "text/line_ends.h"
#include "text/text_encoding.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// A large page read as opening it reads it, in parts: each decoded on whichever core is free,
// its line breaks made CR LF, and its bytes let go of as soon as it is read, so the page is
// never held whole twice over (bytes and text, then text and the box).
struct DecodedParts {
    QList<QString> parts; // in order; each but the last ends with a CR LF
    TextEncoding encoding = TextEncoding::Utf8;
    LineEnding lineEnding = LineEnding::CrLf;
    bool undecodable = false;
    QString foreignEncoding; // see DecodedText
    ByteForms forms;         // see DecodedText
};

// The page in parts, the bytes then emptied; nothing, and the bytes as they were, when the page
// is not read so: UTF-16, ISO-2022-JP, and a Japanese page with more than one reading to weigh
// are read whole (decodeDocument).
std::optional<DecodedParts> decodeInParts(QByteArray& bytes);
