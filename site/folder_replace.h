#pragma once

#include "site/folder_search.h"

#include <QString>

class ReplaceUndoStore;

// Replacing in one file of a site: read as the search read it, every hit replaced, written
// back through the one checked whole-file write in its own encoding and line breaks. A file is
// written only when its old bytes are kept for 元に戻す first, and only when its text reads
// back to the very bytes it came from (so nothing but the hits changes).
struct FileReplaceOutcome {
    enum Kind {
        Written,
        NoHits,
        Unencodable, // the new text has a character the file's encoding cannot hold
        NotAsRead,   // the file's text does not give back its bytes (undecodable bytes and the like)
        Skipped,     // see `skipped`
        NotKept,     // the old bytes could not be kept: not written
        Failed,      // the write failed: the file is as it was
        Damaged,     // an in-place write failed part way; the old text is in `detail`'s backup
    };
    Kind kind = NoHits;
    QString path;
    qsizetype count = 0;
    QString detail;          // the character, the backup, the reason
    bool searchedAgain = false; // the file changed after the search
    SiteSkip skipped = SiteSkip::None;
};

FileReplaceOutcome replaceInSiteFile(const QString& path, const TextSearch& search, const FileStamp& searched,
                                     qint64 sizeLimit, ReplaceUndoStore& store);

// Every file of `files` replaced on `workers` threads (the writes wait mostly on the disk, so
// several at once finish sooner); `onOutcome` is called for each as it is done, never two at
// once. Stops taking new files when `stop` is set. The outcomes in the order of the files.
QList<FileReplaceOutcome> replaceInSite(const QList<FileHits>& files, const TextSearch& search, qint64 sizeLimit,
                                        ReplaceUndoStore& store, const std::atomic<bool>& stop,
                                        const std::function<void(const FileReplaceOutcome&)>& onOutcome,
                                        int workers = 8);

// The first character of `changes` that `encoding` cannot hold, or nothing.
std::optional<QString> firstUnencodable(const TextChanges& changes, TextEncoding encoding);

// The changes of a replace-all over the whole text, positions counted from the text's start.
TextChanges replaceAllChanges(QStringView lfText, const TextSearch& search, qsizetype* count);

QString replaceOutcomeText(const FileReplaceOutcome& outcome);
