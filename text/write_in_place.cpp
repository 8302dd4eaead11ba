#include "text/write_in_place.h"

#include "text/file_attributes.h"
#include "text/write_steps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
struct Backup {
    int fd = -1;
    QByteArray path;
};

// The old text, on disk before the first byte of the new one is written.
Backup makeBackup(const QByteArray& target, int from, off_t size)
{
    Backup backup;
    for (bool beside : {true, false}) {
        backup.fd = write_steps::createUnique(backupPrefix(target, beside), 0600, &backup.path);
        if (backup.fd >= 0)
            break;
    }
    if (backup.fd < 0)
        return backup;
    // The reading end is the backup's own: reopened, so the copy back can read from the start.
    if (!write_steps::copyAll(from, backup.fd, size, WriteStep::Backup) || !write_steps::dataSync(backup.fd)) {
        ::close(backup.fd);
        ::unlink(backup.path.constData());
        backup.fd = -1;
        return backup;
    }
    ::close(backup.fd);
    backup.fd = ::open(backup.path.constData(), O_RDONLY | O_CLOEXEC);
    if (backup.fd < 0)
        ::unlink(backup.path.constData());
    return backup;
}

bool restore(int fd, const Backup& backup, off_t size)
{
    return write_steps::copyAll(backup.fd, fd, size, WriteStep::Write) && ::ftruncate(fd, size) == 0
        && ::fdatasync(fd) == 0;
}
}

QByteArray backupPrefix(const QByteArray& target, bool besideTarget)
{
    const QFileInfo info(QFile::decodeName(target));
    const QByteArray name = QFile::encodeName(info.fileName()).left(200);
    if (besideTarget)
        return QFile::encodeName(info.absolutePath()) + "/." + name + ".vornikedit-backup-";
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    const QString folder = state + QStringLiteral("/vornikedit/backups");
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return QFile::encodeName(folder) + '/' + name + ".vornikedit-backup-";
}

bool writeInPlace(const QByteArray& target, const struct stat& st, QByteArrayView bytes)
{
    const int fd = ::open(target.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat now {};
    if (::fstat(fd, &now) != 0 || now.st_dev != st.st_dev || now.st_ino != st.st_ino) {
        ::close(fd); // replaced since we looked: not the file we were asked to keep
        return false;
    }
    const Backup backup = makeBackup(target, fd, now.st_size);
    if (backup.fd < 0) {
        ::close(fd);
        return false;
    }
    bool written = write_steps::writeAll(fd, bytes, 0) && ::ftruncate(fd, off_t(bytes.size())) == 0
        && write_steps::dataSync(fd);
    if (written)
        keepModeBits(fd, now);
    bool restored = false;
    if (!written)
        restored = restore(fd, backup, now.st_size);
    written = write_steps::closeFile(fd) && written;
    ::close(backup.fd);
    if (written || restored)
        ::unlink(backup.path.constData());
    return written;
}
