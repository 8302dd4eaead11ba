#include "text/file_write.h"

#include "text/file_attributes.h"
#include "text/write_in_place.h"
#include "text/write_steps.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr char kTemporaryMark[] = ".vornikedit-save-";
constexpr qsizetype kRandomLetters = 6;

// The file that gets the text: a symlink's target, even one that does not exist yet.
QString targetOf(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return info.absoluteFilePath();
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

// Temporary files of this name that a killed save left behind.
void removeStaleTemporaries(const QByteArray& folder, const QByteArray& name)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const QByteArray prefix = temporaryNamePrefix(name);
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArrayView candidate(entry->d_name);
        if (candidate.size() != prefix.size() + kRandomLetters || !candidate.startsWith(prefix))
            continue;
        // A save in progress (another window on the same file) holds a lock on its file.
        const int fd = ::openat(::dirfd(dir), entry->d_name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

enum class Replaced { Done, Failed, WouldChangeTheFile };

Replaced replaceFile(const QByteArray& target, const QByteArray& folder, const QByteArray& name,
                     const struct stat* old, QByteArrayView bytes)
{
    QByteArray temporary;
    // A new file gets what the folder and the umask give any new file; a replacing one starts
    // private and is given the old file's owner and mode before it holds a byte.
    const int fd = write_steps::createUnique(folder + '/' + temporaryNamePrefix(name), old ? 0600 : 0666,
                                             &temporary);
    if (fd < 0) {
        const bool folderLocked = errno == EACCES || errno == EPERM || errno == EROFS;
        return old && folderLocked ? Replaced::WouldChangeTheFile : Replaced::Failed;
    }
    // Marks the file as in use, so another save's clean-up leaves it alone.
    ::flock(fd, LOCK_EX | LOCK_NB);
    auto giveUp = [&](Replaced why) {
        ::close(fd);
        ::unlink(temporary.constData());
        return why;
    };
    if (old && !carryAttributes(target, *old, fd))
        return giveUp(Replaced::WouldChangeTheFile);
    if (!write_steps::writeAll(fd, bytes, 0) || !write_steps::dataSync(fd))
        return giveUp(Replaced::Failed);
    if (!write_steps::closeFile(fd)) {
        ::unlink(temporary.constData());
        return Replaced::Failed;
    }
    if (!write_steps::renameFile(temporary, target)) {
        ::unlink(temporary.constData());
        return Replaced::Failed;
    }
    // Until the folder is on disk, a crash can bring the old file back.
    return write_steps::syncFolder(folder) ? Replaced::Done : Replaced::Failed;
}
}

QByteArray temporaryNamePrefix(const QByteArray& fileName)
{
    // Long names are cut so the temporary name stays within the 255 bytes a name may have.
    return '.' + fileName.left(200) + kTemporaryMark;
}

bool writeWholeFile(const QString& path, QByteArrayView bytes)
{
    if (path.isEmpty())
        return false;
    const QString targetPath = targetOf(path);
    const QFileInfo info(targetPath);
    const QByteArray target = QFile::encodeName(targetPath);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const QByteArray name = QFile::encodeName(info.fileName());

    struct stat old {};
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        return false;
    if (exists && (!S_ISREG(old.st_mode) || ::access(target.constData(), W_OK) != 0))
        return false; // a folder, a FIFO or a device is never replaced; a read-only file stays so

    removeStaleTemporaries(folder, name);
    if (exists && old.st_nlink > 1)
        return writeInPlace(target, old, bytes);
    switch (replaceFile(target, folder, name, exists ? &old : nullptr, bytes)) {
    case Replaced::Done:
        return true;
    case Replaced::Failed:
        return false;
    case Replaced::WouldChangeTheFile:
        break;
    }
    return writeInPlace(target, old, bytes);
}
