#pragma once

#include "text/line_ends.h"
#include "text/text_encoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// A document's bytes and the text the box shows, both ways: the encoding and the line ends
// are found on reading and kept for writing back.

// What was read, ready for the document box.
struct LoadedDocument {
    QString text; // CR LF between lines
    TextEncoding encoding = TextEncoding::Utf8;
    LineEnding lineEnding = LineEnding::CrLf;
    bool undecodable = false;
    QString foreignEncoding; // see DecodedText
};
LoadedDocument decodeDocument(QByteArrayView bytes);
// The same, letting go of the bytes as soon as they are decoded (a large page is held in
// three forms otherwise); in `encoding` when one is given.
LoadedDocument decodeDocument(QByteArray&& bytes, std::optional<TextEncoding> encoding = std::nullopt);

// The bytes of a CR LF document as its file holds them: its own line ends, its encoding.
EncodedText encodeDocument(const QString& crlfText, TextEncoding encoding, LineEnding ending,
                           Unencodable policy = Unencodable::Report);
