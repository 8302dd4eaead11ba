#pragma once

#include "document/disk_stamp.h"
#include "document/text_fingerprint.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <optional>

// A recovery copy: the unsaved text of one editor's document, with the file it belongs to.
// The file holds a short header of its own, so a stray or cut-off file is never taken for
// a copy:
//
//   vornikedit recovery copy 1
//   path <the document's path, UTF-8, percent-encoded; empty for a never-saved document>
//   written <UTC time, ISO 8601>
//   length <bytes of text>
//   stamp <device> <inode> <size> <modified, ns>   (the file as the editor last read or wrote it; optional)
//
//   <the text, UTF-8, CR LF between lines>

struct RecoveryHeader {
    QString filePath;   // empty: a document that was never saved
    QDateTime written;  // when the copy was taken
    qint64 textLength = 0;
    DiskStamp fileStamp; // what the file was when the copy was taken; none for older copies
    qsizetype textOffset = 0; // where the text starts in the file
};

struct RecoveryCopy {
    RecoveryHeader header;
    QString text;
};

QByteArray formatRecoveryCopy(const QString& filePath, const QString& text, const QDateTime& written,
                              const DiskStamp& fileStamp = {});

// Nothing when the bytes do not start with a whole header.
std::optional<RecoveryHeader> parseRecoveryHeader(QByteArrayView bytes);
// Nothing unless the header is whole and the text is exactly as long as it says (a copy cut
// off by a crash is not offered as if it were all).
std::optional<RecoveryCopy> parseRecoveryCopy(QByteArrayView bytes);

// Writes the copy (text/private_file.h: mode 0600, renamed into place once whole). Safe to
// run on any thread.
bool writeRecoveryCopy(const QString& copyPath, const QString& filePath, const QString& text,
                       const DiskStamp& fileStamp = {});
// The same, unless the text is the saved one after all (edited back to it): then no copy is
// needed and one written before is removed.
bool keepRecoveryCopy(const QString& copyPath, const QString& filePath, const QString& text, const TextFingerprint& baseline,
                      const DiskStamp& fileStamp = {});
