#pragma once

#include <QString>

// True for an ordinary or read-only file; false for folders, hidden files (a name starting
// with ".") and names that do not exist. Wildcards (* ? [..]) in the file name match as a
// pattern in its folder.
bool FileExists(const QString& path);
