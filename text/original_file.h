#pragma once

#include "text/line_ends.h"
#include "text/text_encoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// What a document's file held when it was read, so that saving the unchanged text writes
// back the very bytes: mixed line ends, the CP932 characters that have two byte forms and
// undecodable bytes would otherwise come out rewritten. Only a fingerprint is kept (size and
// a hash), not a second copy: a large page would double the memory for a case that is rare.
struct OriginalFile {
    QString path; // empty: nothing to keep
    qint64 size = -1;
    size_t hash = 0;
    TextEncoding encoding = TextEncoding::Utf8;
    LineEnding lineEnding = LineEnding::CrLf;

    // The encoding and line ends are the reader's to fill in.
    static OriginalFile of(const QString& path, QByteArrayView bytes);
    bool matches(QByteArrayView bytes) const;
};

// For a text equal to what was read from `original`, to be written in `encoding` and
// `ending`: the file's bytes, when it still holds the ones read and the document is to be
// written the way it was read. Nothing otherwise: then the text is encoded.
std::optional<QByteArray> bytesAsRead(const OriginalFile& original, TextEncoding encoding,
                                      LineEnding ending);
