#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The backups of a file's old text that an in-place write makes (write_in_place.h): beside
// the file (".NAME.vornikedit-backup-XXXXXX") or, where its folder cannot be written, in the
// user's state folder ("backups/NAME.HASH.vornikedit-backup-XXXXXX", HASH naming the full
// path). A write holds a lock on its backup while it runs; one that nobody holds was left by
// a write that was killed or could not put the old text back.

// Where a backup of `target` (an absolute path, as writeTarget gives it) is made; empty when
// the state folder is not the user's own (platform/user_folders.h).
QByteArray backupPrefix(const QByteArray& target, bool besideTarget);

// The backups of the file `path` writes to that no running write holds, oldest first.
QStringList leftBackups(const QString& path);

// Removes those backups.
void removeLeftBackups(const QString& path);
