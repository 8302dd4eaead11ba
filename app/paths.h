#pragma once

#include <QString>

// True for an ordinary or read-only file; false for folders, hidden files (a name starting
// with ".") and names that do not exist. Wildcards (* ? [..]) in the file name match as a
// pattern in its folder.
bool FileExists(const QString& path);

// The file-name and folder parts of paths, kept program-wide: the title bar asks for the
// title every second, so it is recomputed only when the path changes.
struct PathParts {
    QString FileTitle;
    QString TitledPath;
    QString FileFolder;
};

PathParts& programPaths();

// FileTitle: everything after the last "/". Skipped when the path equals TitledPath.
void TakeFileTitle(PathParts& parts, const QString& path);
inline void TakeFileTitle(const QString& path) { TakeFileTitle(programPaths(), path); }

// FileFolder: the path up to and including its last "/"; unchanged when there is none.
void TakeFileFolder(PathParts& parts, const QString& path);
inline void TakeFileFolder(const QString& path) { TakeFileFolder(programPaths(), path); }
