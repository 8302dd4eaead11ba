#pragma once

#include <QString>

// What a file on disk was when the editor last read or wrote it: which file (device and
// inode: a replace by another program makes a new one), its size and modification time.
// Another window or program that writes the file changes at least one of them.
struct DiskStamp {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;

    static DiskStamp of(const QString& path);
    bool operator==(const DiskStamp&) const = default;
};

// The file at `path` is no longer what `known` recorded. One that has gone since has nothing
// to overwrite and does not count; one that has appeared where the editor saw none (a new
// document named at start) does.
bool changedOnDisk(const DiskStamp& known, const QString& path);
