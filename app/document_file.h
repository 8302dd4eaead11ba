#pragma once

#include "app/line_ends.h"
#include "app/text_encoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// A document file is read and written whole. Reading never changes anything; writing goes
// to a temporary file beside the target, which replaces it only once every byte is on disk,
// so a failed save leaves the old file as it was.

// The whole content of a regular file (a symlink to one counts), or nothing when it cannot
// be opened or read: missing, a folder, a device, no permission.
std::optional<QByteArray> readWholeFile(const QString& path);

// True only when all of `bytes` went to `path`. The target keeps its permissions.
bool writeWholeFile(const QString& path, QByteArrayView bytes);

// What was read, ready for the document box.
struct LoadedDocument {
    QString text; // CR LF between lines
    TextEncoding encoding = TextEncoding::Utf8;
    LineEnding lineEnding = LineEnding::CrLf;
    bool undecodable = false;
};
LoadedDocument decodeDocument(QByteArrayView bytes);
// The same, letting go of the bytes as soon as they are decoded (a large page is held in
// three forms otherwise).
LoadedDocument decodeDocument(QByteArray&& bytes);

// The bytes of a CR LF document as its file holds them: its own line ends, its encoding.
EncodedText encodeDocument(const QString& crlfText, TextEncoding encoding, LineEnding ending,
                           Unencodable policy = Unencodable::Report);
