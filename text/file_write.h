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

// The same write, for a caller that tells the user more than that it failed.
struct WriteOutcome {
    enum class Result {
        Written,    // every byte in place and on the disk
        NotDurable, // in place, but the folder was not synced: a power cut may bring the old file back
        Failed,     // nothing changed: the old file is as it was
        Damaged,    // an in-place write failed and the old text could not be copied back: the file
                    // may hold part of the new text; the old text is kept in `backup`
    };
    Result result = Result::Failed;
    QString backup;
    // Written (or NotDurable) but without these of S_ISUID and S_ISGID, which the kernel drops
    // when a writer who is not the file's owner writes, and which only the owner may set again.
    unsigned lostModeBits = 0;
};
WriteOutcome writeWholeFileOutcome(const QString& path, QByteArrayView bytes);

// The file a write of `path` lands in: a symlink's target, even one that does not exist yet.
QString writeTarget(const QString& path);

// The start of the name of a temporary file for `fileName`, to tell the editor's own.
QByteArray temporaryNamePrefix(const QByteArray& fileName);
