#pragma once

#include "document/disk_stamp.h"
#include "document/text_fingerprint.h"
#include "text/document_codec.h"
#include "text/original_file.h"
#include "text/part_decode.h"

#include <QString>

#include <memory>
#include <optional>

// A page's file read and made ready for the box: a large page read in parts (the box takes each
// as the reader gives it), any other decoded whole. Nothing here touches a window, so the file
// named at start is made ready on another thread while the window is made.
struct OpenedFile {
    bool read = false; // false: the file could not be read
    DiskStamp stamp;   // taken before reading: a change while it reads is asked about at Save
    OriginalFile asRead;
    std::unique_ptr<TextFingerprint::Taker> taker; // digests each part for the baseline as it is read
    std::unique_ptr<PartReader> reader;            // a large page, read in parts
    LoadedDocument decoded;                        // any other, read whole
};

// `inParts`: a large page may be read in parts (a new page, in the encoding the bytes say).
OpenedFile openFile(const QString& path, std::optional<TextEncoding> encoding, bool inParts);

// Starts opening the file named at start on another thread.
void openStartFileAhead(const QString& path);
// Whether the file named at start is still being opened on its thread.
bool openingAhead();
// What was opened ahead, when it was `path` (waiting for it); nothing otherwise. What was
// opened ahead goes either way.
std::optional<OpenedFile> takeOpenedAhead(const QString& path);
