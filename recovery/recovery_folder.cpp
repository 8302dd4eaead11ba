#include "recovery/recovery_folder.h"

#include "platform/user_folders.h"
#include "text/file_read.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>

namespace {
const QString kPrefix = QStringLiteral("recovery-");
const QString kSuffix = QStringLiteral(".txt");
}

QString recoveryFolder(bool create)
{
    const PrivateFolder folder = stateFolder(create);
    return folder.ok() ? folder.path : QString();
}

QString newRecoveryCopyName()
{
    const quint64 token = QRandomGenerator::system()->generate64();
    return kPrefix + QStringLiteral("%1-%2").arg(QCoreApplication::applicationPid()).arg(token, 16, 16, QChar(u'0'))
        + kSuffix;
}

QString recoveryLockPath(const QString& copyPath)
{
    return copyPath.chopped(kSuffix.size()) + QStringLiteral(".lock");
}

namespace {
enum class Wanted { OfFile, Damaged };

// Every copy in `folder` whose owner has ended and that `wanted` takes, locked; `wanted` sees
// the header (nothing when it does not read) and the copy's size.
template <class Take>
std::vector<OrphanCopy> claimCopies(const QString& folder, Take wanted)
{
    std::vector<OrphanCopy> orphans;
    if (folder.isEmpty())
        return orphans;
    const QStringList names = QDir(folder).entryList({kPrefix + u'*' + kSuffix}, QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        const QString copyPath = folder + u'/' + name;
        const FileRead start = readWholeFile(copyPath, ReadCap::firstBytes(64 * 1024));
        if (!start && start.failure() == ReadFailure::Missing)
            continue;
        const std::optional<RecoveryHeader> header = start ? parseRecoveryHeader(*start) : std::nullopt;
        if (!wanted(header, QFileInfo(copyPath).size()))
            continue;
        auto lock = std::make_unique<QLockFile>(recoveryLockPath(copyPath));
        // Only a lock whose process is gone counts as left behind, however old it is.
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0))
            continue;
        orphans.push_back({copyPath, header.value_or(RecoveryHeader{}), std::move(lock)});
    }
    std::sort(orphans.begin(), orphans.end(), [](const OrphanCopy& a, const OrphanCopy& b) {
        return a.header.written > b.header.written;
    });
    return orphans;
}
}

std::vector<OrphanCopy> claimOrphanCopies(const QString& folder, const QString& filePath)
{
    return claimCopies(folder, [&](const std::optional<RecoveryHeader>& header, qint64) {
        return header && header->filePath.isEmpty() == filePath.isEmpty()
            && (filePath.isEmpty() || sameFile(header->filePath, filePath));
    });
}

std::vector<OrphanCopy> claimOrphanCopiesOfFiles(const QString& folder)
{
    return claimCopies(folder, [](const std::optional<RecoveryHeader>& header, qint64 size) {
        return header && !header->filePath.isEmpty() && header->textOffset + header->textLength == size;
    });
}

std::vector<OrphanCopy> claimDamagedCopies(const QString& folder)
{
    return claimCopies(folder, [](const std::optional<RecoveryHeader>& header, qint64 size) {
        return !header || header->textOffset + header->textLength != size;
    });
}

QString setAsideDamagedCopy(OrphanCopy orphan)
{
    const QFileInfo info(orphan.copyPath);
    const QString aside = info.absolutePath() + QStringLiteral("/damaged-") + info.fileName();
    const bool moved = QFile::rename(orphan.copyPath, aside);
    orphan.lock.reset(); // unlocks, and removes the lock file
    return moved ? aside : orphan.copyPath;
}

std::optional<RecoveryCopy> readRecoveryCopy(const QString& copyPath)
{
    const FileRead bytes = readWholeFile(copyPath);
    return bytes ? parseRecoveryCopy(*bytes) : std::nullopt;
}

void removeRecoveryCopy(const QString& copyPath, std::unique_ptr<QLockFile> lock)
{
    QFile::remove(copyPath);
    if (lock)
        lock->unlock(); // removes the lock file too
}

bool sameFile(const QString& a, const QString& b)
{
    if (a == b)
        return true;
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}
