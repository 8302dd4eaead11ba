#include "text/file_read.h"

#include <QFile>
#include <QFileInfo>

FileRead readWholeFile(const QString& path, ReadCap cap)
{
    return readWholeFile(path, cap, QByteArray());
}

FileRead readWholeFile(const QString& path, ReadCap cap, QByteArray reuse)
{
    if (path.isEmpty())
        return ReadFailure::Missing;
    const QFileInfo info(path);
    if (!info.exists())
        return ReadFailure::Missing;
    if (!info.isFile())
        return ReadFailure::NotAFile;
    QFile file(path);
    // Unbuffered: the bytes go straight into the one buffer below, not through the device's
    // own buffer first.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
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
    QByteArray bytes = std::move(reuse);
    if (bytes.isDetached() && bytes.capacity() >= size)
        bytes.resize(qsizetype(size)); // keeps the room
    else
        bytes = QByteArray(qsizetype(size), Qt::Uninitialized);
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
    // it went over), a piece at a time: asking for all a cap allows would set aside that much
    // memory for every file, mostly for nothing.
    char piece[16 * 1024];
    for (;;) {
        const qint64 want = capped ? std::min<qint64>(sizeof piece, cap.maxBytes - bytes.size() + 1) : qint64(sizeof piece);
        if (want <= 0)
            break;
        const qint64 got = file.read(piece, want);
        if (got < 0)
            return ReadFailure::ReadError;
        if (got == 0)
            break;
        bytes.append(piece, qsizetype(got));
    }
    if (capped && bytes.size() > cap.maxBytes) {
        if (cap.over == ReadCap::Refuse)
            return ReadFailure::TooLarge;
        bytes.truncate(qsizetype(cap.maxBytes));
    }
    return bytes;
}
