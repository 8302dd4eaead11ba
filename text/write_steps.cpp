#include "text/write_steps.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
struct InjectedFailure {
    int times = 0;
    WriteStep step = WriteStep::Write;
    int error = 0;
};

InjectedFailure& injected()
{
    static InjectedFailure failure;
    return failure;
}

constexpr off_t kChunk = 4 << 20;
}

void failWriteStepForTesting(WriteStep step, int error, int times)
{
    injected() = {times, step, error};
}

namespace write_steps {

bool injectedFailure(WriteStep step)
{
    InjectedFailure& failure = injected();
    if (failure.times <= 0 || failure.step != step)
        return false;
    --failure.times;
    errno = failure.error;
    return true;
}

bool writeAll(int fd, QByteArrayView bytes, off_t at, WriteStep step)
{
    if (injectedFailure(step))
        return false;
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t done = ::pwrite(fd, data, size_t(qMin<qsizetype>(left, kChunk)), at);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            if (done == 0)
                errno = ENOSPC;
            return false;
        }
        data += done;
        left -= done;
        at += done;
    }
    return true;
}

bool copyAll(int from, int to, off_t size, WriteStep step)
{
    if (injectedFailure(step))
        return false;
    // In the kernel where the filesystem can, through a buffer where it cannot.
    off_t in = 0;
    off_t out = 0;
    while (in < size) {
        const ssize_t done = ::copy_file_range(from, &in, to, &out, size_t(qMin(size - in, kChunk)), 0);
        if (done > 0)
            continue;
        if (done < 0 && errno == EINTR)
            continue;
        if (done == 0 || errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)
            break;
        return false;
    }
    QByteArray buffer(qsizetype(qMin(size, kChunk)), Qt::Uninitialized);
    while (in < size) {
        const ssize_t got = ::pread(from, buffer.data(), size_t(qMin<off_t>(size - in, buffer.size())), in);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (got == 0)
                errno = EIO; // the file shrank under us
            return false;
        }
        if (!writeAll(to, QByteArrayView(buffer.constData(), got), in, step))
            return false;
        in += got;
    }
    return true;
}

bool dataSync(int fd)
{
    if (injectedFailure(WriteStep::DataSync))
        return false;
    return ::fdatasync(fd) == 0;
}

bool closeFile(int fd)
{
    // After a close that failed, even with EINTR, the descriptor is gone on Linux.
    return ::close(fd) == 0;
}

bool renameFile(const QByteArray& from, const QByteArray& to)
{
    if (injectedFailure(WriteStep::Rename))
        return false;
    return ::rename(from.constData(), to.constData()) == 0;
}

bool syncFolder(const QByteArray& folder)
{
    if (injectedFailure(WriteStep::FolderSync))
        return false;
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

int createUnique(const QByteArray& prefix, mode_t mode, QByteArray* path)
{
    if (injectedFailure(WriteStep::Create))
        return -1;
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray candidate = prefix;
        for (int i = 0; i < 6; ++i)
            candidate += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
        const int fd = ::open(candidate.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            *path = candidate;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

}
