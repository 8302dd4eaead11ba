#include "text/write_in_place.h"

#include "text/file_attributes.h"
#include "text/save_backups.h"
#include "text/write_steps.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
struct Backup {
    int fd = -1;
    QByteArray path;
};

// The old text, on disk before the first byte of the new one is written. The backup is held
// locked for as long as the write runs, so nobody takes it for one left behind.
Backup makeBackup(const QByteArray& target, int from, off_t size)
{
    Backup backup;
    for (bool beside : {true, false}) {
        const QByteArray prefix = backupPrefix(target, beside);
        if (prefix.isEmpty())
            continue;
        backup.fd = write_steps::createUnique(prefix, 0600, &backup.path);
        if (backup.fd >= 0)
            break;
    }
    if (backup.fd < 0)
        return backup;
    ::flock(backup.fd, LOCK_EX | LOCK_NB);
    if (!write_steps::copyAll(from, backup.fd, size, WriteStep::Backup) || !write_steps::dataSync(backup.fd)) {
        ::close(backup.fd);
        ::unlink(backup.path.constData());
        backup.fd = -1;
    }
    return backup;
}

bool restore(int fd, const Backup& backup, off_t size)
{
    return write_steps::copyAll(backup.fd, fd, size, WriteStep::Write) && ::ftruncate(fd, size) == 0
        && ::fdatasync(fd) == 0;
}
}

WriteOutcome writeInPlace(const QByteArray& target, const struct stat& st, QByteArrayView bytes)
{
    using Result = WriteOutcome::Result;
    const int fd = ::open(target.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat now {};
    if (::fstat(fd, &now) != 0 || now.st_dev != st.st_dev || now.st_ino != st.st_ino) {
        ::close(fd); // replaced since we looked: not the file we were asked to keep
        return {};
    }
    const Backup backup = makeBackup(target, fd, now.st_size);
    if (backup.fd < 0) {
        ::close(fd);
        return {};
    }
    bool written = write_steps::writeAll(fd, bytes, 0) && ::ftruncate(fd, off_t(bytes.size())) == 0
        && write_steps::dataSync(fd);
    unsigned lost = 0;
    if (written && !keepModeBits(fd, now)) {
        struct stat after {};
        lost = ::fstat(fd, &after) == 0 ? unsigned(now.st_mode & ~after.st_mode & (S_ISUID | S_ISGID))
                                        : unsigned(now.st_mode & (S_ISUID | S_ISGID));
    }
    bool restored = false;
    if (!written)
        restored = restore(fd, backup, now.st_size);
    written = write_steps::closeFile(fd) && written;
    if (written || restored) {
        ::unlink(backup.path.constData());
        ::close(backup.fd);
        return {written ? Result::Written : Result::Failed, {}, written ? lost : 0};
    }
    ::close(backup.fd);
    return {Result::Damaged, QFile::decodeName(backup.path)};
}
