#pragma once

#include <QString>

#include <optional>

// The user's own folder for the program's files (the configuration folder, e.g.
// ~/.config/vornikedit/), always ending in "/". An installed program folder cannot be
// written, so a user's settings and own tag.ini or templates live here.
QString userFolder();

// Where one of the optional files (tag.ini, template/..., hcnn.otf, vornik!.ini) is read
// from, given its name relative to the program folder: the user's copy when there is one,
// else the program folder's (which may be missing too: a missing file is never an error).
// Every reader asks here, so the lookup order lives in one place.
QString optionalFilePath(const QString& relativeName);

// Where such a file is written: the user's copy when there is one (so that what is written
// is what is read next time), else the program folder when it can be written, else the
// user's folder, whose folders are made on the way.
QString writableFilePath(const QString& relativeName);

bool programFolderIsWritable();

namespace platform {
// Tests decide whether the program folder counts as writable (root may write anywhere);
// nothing goes back to asking the file system.
void setProgramFolderWritableForTesting(std::optional<bool> writable);
}
