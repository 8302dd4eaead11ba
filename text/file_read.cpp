#include "text/file_read.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace {
constexpr qint64 kHalvesFrom = 8 << 20;

// Up to `size` bytes from `offset`; fewer where the file ends first, -1 on an error.
qint64 readAt(int fd, char* to, qint64 size, qint64 offset)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, to + done, size_t(size - done), off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

qint64 nanoseconds(const timespec& t)
{
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

FileIdentity identityOf(const struct stat& s)
{
    return {quint64(s.st_dev), quint64(s.st_ino), qint64(s.st_size), nanoseconds(s.st_mtim), nanoseconds(s.st_ctim)};
}
}

std::optional<FileIdentity> FileIdentity::of(const QString& path)
{
    struct stat s {};
    if (::stat(QFile::encodeName(path).constData(), &s) != 0)
        return std::nullopt;
    return identityOf(s);
}

FileRead readWholeFile(const QString& path, ReadCap cap)
{
    return readWholeFile(path, cap, QByteArray());
}

FileRead readWholeFile(const QString& path, ReadCap cap, QByteArray reuse)
{
    if (path.isEmpty())
        return ReadFailure::Missing;
    struct stat atPath {};
    if (::stat(QFile::encodeName(path).constData(), &atPath) != 0)
        return ReadFailure::Missing;
    if (!S_ISREG(atPath.st_mode))
        return ReadFailure::NotAFile;
    QFile file(path);
    // Unbuffered: the bytes go straight into the one buffer below, not through the device's
    // own buffer first.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return ReadFailure::NoAccess;
    struct stat opened {};
    if (::fstat(file.handle(), &opened) != 0 || !S_ISREG(opened.st_mode))
        return ReadFailure::NotAFile; // replaced by something else since the look above
    const bool capped = cap.maxBytes >= 0;
    qint64 size = opened.st_size;
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
    // A large file is read in two halves at once: most of a read is the system giving the
    // buffer its pages, which two cores do in about two thirds of the time.
    const qint64 half = size >= kHalvesFrom ? size / 2 : size;
    qint64 secondGot = 0;
    std::thread second;
    if (half < size)
        second = std::thread([&] { secondGot = readAt(file.handle(), bytes.data() + half, size - half, half); });
    const qint64 firstGot = readAt(file.handle(), bytes.data(), half, 0);
    if (second.joinable())
        second.join();
    if (firstGot < 0 || secondGot < 0)
        return ReadFailure::ReadError;
    // A file that shrank while we read it ends where the first half came up short.
    const qint64 done = firstGot < half ? firstGot : half + secondGot;
    bytes.truncate(qsizetype(done));
    if (!file.seek(done))
        return ReadFailure::ReadError;
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
    struct stat read {};
    if (::fstat(file.handle(), &read) != 0)
        read = opened;
    FileRead result(std::move(bytes));
    result.setIdentities(identityOf(opened), identityOf(read));
    return result;
}
