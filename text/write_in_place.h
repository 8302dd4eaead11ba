#pragma once

#include "text/file_write.h"

#include <QByteArray>
#include <QByteArrayView>

#include <sys/stat.h>

// Writes `bytes` into the existing file itself, for when replacing it would change what it
// is (its hard links, owner, mode bits or attributes) or its folder cannot be written. The
// old text goes to a backup first (save_backups.h), which is removed on success and copied
// back on failure; where even that fails, the backup stays and the outcome names it.
WriteOutcome writeInPlace(const QByteArray& target, const struct stat& st, QByteArrayView bytes);
