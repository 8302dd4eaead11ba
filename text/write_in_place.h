#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <sys/stat.h>

// Writes `bytes` into the existing file itself, for when replacing it would change what it
// is (its hard links, owner, mode bits or attributes) or its folder cannot be written. The
// old text goes to a backup first, which is removed on success and copied back on failure;
// where even that fails, the backup stays.
bool writeInPlace(const QByteArray& target, const struct stat& st, QByteArrayView bytes);

// Where a backup of `target` is made: beside it when its folder can be written, otherwise in
// the user's state folder.
QByteArray backupPrefix(const QByteArray& target, bool besideTarget);
