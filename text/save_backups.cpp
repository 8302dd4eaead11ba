#include "text/save_backups.h"

#include "platform/user_folders.h"
#include "text/file_write.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
constexpr char kMark[] = ".vornikedit-backup-";
constexpr qsizetype kRandomLetters = 6;

QString stateBackupFolder()
{
    return stateFolder(false).path + QStringLiteral("/backups");
}

// The file's name is cut to leave room in the 255 bytes a name may have; in the shared
// state folder a hash of the whole path tells two files of one name apart.
QByteArray besideName(const QByteArray& name)
{
    return '.' + name.left(200) + kMark;
}

QByteArray stateName(const QByteArray& target, const QByteArray& name)
{
    const QByteArray hash = QCryptographicHash::hash(target, QCryptographicHash::Sha1).toHex().left(12);
    return name.left(200) + '.' + hash + kMark;
}

bool heldByAWrite(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return true; // gone, or not ours to look at
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

void collect(const QString& folder, const QByteArray& prefix, QFileInfoList* found)
{
    // The file's own name may hold wildcard characters: matched by its bytes, not a pattern.
    const QByteArray start = prefix.mid(prefix.lastIndexOf('/') + 1);
    const QFileInfoList entries = QDir(folder).entryInfoList({QStringLiteral("*.vornikedit-backup-*")},
                                                             QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : entries) {
        const QByteArray name = QFile::encodeName(entry.fileName());
        if (name.size() == start.size() + kRandomLetters && name.startsWith(start) && !entry.isSymLink()
            && !heldByAWrite(entry.filePath()))
            found->append(entry);
    }
}
}

QByteArray backupPrefix(const QByteArray& target, bool besideTarget)
{
    const QFileInfo info(QFile::decodeName(target));
    const QByteArray name = QFile::encodeName(info.fileName());
    if (besideTarget)
        return QFile::encodeName(info.absolutePath()) + '/' + besideName(name);
    // The old text of a page is as private as the page: both folders by the one rule. Where they
    // cannot be had, there is no place for it.
    const PrivateFolder state = stateFolder(true);
    const PrivateFolder folder = privateFolder(state.path + QStringLiteral("/backups"), state.ok());
    if (!state.ok() || !folder.ok())
        return {};
    return QFile::encodeName(folder.path) + '/' + stateName(target, name);
}

QStringList leftBackups(const QString& path)
{
    if (path.isEmpty())
        return {};
    const QString target = writeTarget(path);
    const QFileInfo info(target);
    const QByteArray name = QFile::encodeName(info.fileName());
    QFileInfoList found;
    collect(info.absolutePath(), besideName(name), &found);
    collect(stateBackupFolder(), stateName(QFile::encodeName(target), name), &found);
    std::stable_sort(found.begin(), found.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return a.lastModified() < b.lastModified();
    });
    QStringList paths;
    for (const QFileInfo& entry : found)
        paths.append(entry.filePath());
    return paths;
}

void removeLeftBackups(const QString& path)
{
    for (const QString& backup : leftBackups(path))
        QFile::remove(backup);
}
