#include "text/file_write.h"

#include "text/file_attributes.h"
#include "text/save_backups.h"
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

enum class Replaced { Done, NotDurable, Failed, WouldChangeTheFile };

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
    if (!write_steps::writeAll(fd, bytes, 0))
        return giveUp(Replaced::Failed);
    // The write itself clears setuid and setgid for a writer without the right to keep them,
    // so the mode is given again once the bytes are in.
    if (old && !keepModeBits(fd, *old))
        return giveUp(Replaced::WouldChangeTheFile);
    if (!write_steps::dataSync(fd))
        return giveUp(Replaced::Failed);
    if (!write_steps::closeFile(fd)) {
        ::unlink(temporary.constData());
        return Replaced::Failed;
    }
    if (!write_steps::renameFile(temporary, target)) {
        ::unlink(temporary.constData());
        return Replaced::Failed;
    }
    // Until the folder is on disk, a crash can bring the old file back; the new text is in
    // place all the same.
    return write_steps::syncFolder(folder) ? Replaced::Done : Replaced::NotDurable;
}
}

QByteArray temporaryNamePrefix(const QByteArray& fileName)
{
    // Long names are cut so the temporary name stays within the 255 bytes a name may have.
    return '.' + fileName.left(200) + kTemporaryMark;
}

QString writeTarget(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return info.absoluteFilePath();
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

bool writeWholeFile(const QString& path, QByteArrayView bytes)
{
    return writeWholeFileOutcome(path, bytes).result == WriteOutcome::Result::Written;
}

WriteOutcome writeWholeFileOutcome(const QString& path, QByteArrayView bytes)
{
    using Result = WriteOutcome::Result;
    if (path.isEmpty())
        return {};
    const QString targetPath = writeTarget(path);
    const QFileInfo info(targetPath);
    const QByteArray target = QFile::encodeName(targetPath);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const QByteArray name = QFile::encodeName(info.fileName());

    struct stat old {};
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        return {};
    if (exists && (!S_ISREG(old.st_mode) || ::access(target.constData(), W_OK) != 0))
        return {}; // a folder, a FIFO or a device is never replaced; a read-only file stays so

    removeStaleTemporaries(folder, name);
    WriteOutcome outcome;
    if (exists && old.st_nlink > 1) {
        outcome = writeInPlace(target, old, bytes);
    } else {
        switch (replaceFile(target, folder, name, exists ? &old : nullptr, bytes)) {
        case Replaced::Done:
            outcome.result = Result::Written;
            break;
        case Replaced::NotDurable:
            outcome.result = Result::NotDurable;
            break;
        case Replaced::Failed:
            return outcome;
        case Replaced::WouldChangeTheFile:
            outcome = writeInPlace(target, old, bytes);
            break;
        }
    }
    // The file now holds a whole text of the user's choosing: the old text a killed or failed
    // save kept is no longer needed.
    if (outcome.result == Result::Written || outcome.result == Result::NotDurable)
        removeLeftBackups(targetPath);
    return outcome;
}
