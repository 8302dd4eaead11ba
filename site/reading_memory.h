#pragma once

#include "text/file_read.h"
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

namespace readingmemory {
std::optional<FileReading> recall(const QString& path, const FileIdentity& identity);
// `before` and `after` are the file's identity before and after it was read. Kept only when
// they agree and the file had not been changed for a while, since a change within the clock's
// step would leave the times as they were.
void keep(const QString& path, const FileIdentity& before, const FileIdentity& after, const FileReading& reading);
}
