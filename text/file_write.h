#pragma once

#include <QByteArrayView>
#include <QString>

// The one checked way the program writes a whole file (documents, tag.ini, vornik!.ini).
//
// The text goes to a temporary file of the editor's own name beside the target
// (".NAME.vornikedit-save-XXXXXX"), which replaces it only once every byte is on disk; the
// folder is synced after the rename. Every step is checked, so a failed write leaves the old
// file as it was and no temporary file behind, and one left by a killed save is removed by
// the next save of that file. Where a replace would change what the file is (its owner and
// group, mode bits, extended attributes and ACLs, hard links) or the folder cannot be
// written, the file is written in place after a backup of its old text.
//
// Only regular files are written: a folder, a FIFO or a device is never replaced. A symlink
// is followed, so the file it names gets the text.

// True only when all of `bytes` went to `path` and onto the disk.
bool writeWholeFile(const QString& path, QByteArrayView bytes);

// The start of the name of a temporary file for `fileName`, to tell the editor's own.
QByteArray temporaryNamePrefix(const QByteArray& fileName);
