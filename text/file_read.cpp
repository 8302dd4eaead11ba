#include "text/file_read.h"

#include <QFile>
#include <QFileInfo>

FileRead readWholeFile(const QString& path, ReadCap cap)
{
    if (path.isEmpty())
        return ReadFailure::Missing;
    const QFileInfo info(path);
    if (!info.exists())
        return ReadFailure::Missing;
    if (!info.isFile())
        return ReadFailure::NotAFile;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ReadFailure::NoAccess;
    const bool capped = cap.maxBytes >= 0;
    qint64 size = file.size();
    if (capped && size > cap.maxBytes) {
        if (cap.over == ReadCap::Refuse)
            return ReadFailure::TooLarge;
        size = cap.maxBytes;
    }
    // One buffer of the file's size: readAll() grows its buffer as it goes and keeps the
    // spare room, which on a large page is tens of megabytes.
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    qint64 done = 0;
    while (done < size) {
        const qint64 got = file.read(bytes.data() + done, size - done);
        if (got < 0)
            return ReadFailure::ReadError;
        if (got == 0)
            break; // the file shrank while we read it
        done += got;
    }
    bytes.truncate(qsizetype(done));
    // A file that grew while we read it: take the rest too (one byte past a cap tells that
    // it went over).
    const QByteArray rest = capped ? file.read(cap.maxBytes - done + 1) : file.readAll();
    if (file.error() != QFileDevice::NoError)
        return ReadFailure::ReadError;
    bytes += rest;
    if (capped && bytes.size() > cap.maxBytes) {
        if (cap.over == ReadCap::Refuse)
            return ReadFailure::TooLarge;
        bytes.truncate(qsizetype(cap.maxBytes));
    }
    return bytes;
}
