#pragma once

#include "text/text_encoding.h"

#include <QString>

#include <optional>

// How a file was found to read (its encoding guess, and whether it reads through the table of
// that encoding alone), kept for the next search of the folder while the file stays as it was:
// a repeated search then reads the bytes and looks in them, nothing more.
struct FileReading {
    EncodingGuess guess;
    bool byTable = false;
};

// A file as the system knows it, compared whole: any write changes its change time.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    bool operator==(const FileIdentity&) const = default;
    static std::optional<FileIdentity> of(const QString& path);
};

namespace readingmemory {
std::optional<FileReading> recall(const QString& path, const FileIdentity& identity);
// `before` and `after` are the file's identity before and after it was read. Kept only when
// they agree and the file had not been changed for a while, since a change within the clock's
// step would leave the times as they were.
void keep(const QString& path, const FileIdentity& before, const FileIdentity& after, const FileReading& reading);
}
