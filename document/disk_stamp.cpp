#include "document/disk_stamp.h"

#include <QFile>

#include <sys/stat.h>

DiskStamp DiskStamp::of(const QString& path)
{
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {true, quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
            qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

bool changedOnDisk(const DiskStamp& known, const QString& path)
{
    const DiskStamp now = DiskStamp::of(path);
    return now.exists && now != known;
}
