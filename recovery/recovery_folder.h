#pragma once

#include "recovery/recovery_copy.h"

#include <QLockFile>
#include <QString>

#include <memory>
#include <vector>

// Where recovery copies live and who owns them. Each editor process writes one copy,
// `recovery-<pid>-<token>.txt`, and holds `<same name>.lock` for as long as it runs; a copy
// whose lock nobody holds belongs to an editor that has ended (force exit, a crash, a kill,
// a power cut) and may be taken over by the next one.

// The state folder (platform/user_folders.h), made when `create`; empty when there is no such
// place or it is not the user's own.
QString recoveryFolder(bool create);

// A name for this process's copy, unique to it.
QString newRecoveryCopyName();

// The lock that marks a copy's owner as alive.
QString recoveryLockPath(const QString& copyPath);

// A copy left behind by an editor that has ended, taken over: the lock is now held by the
// caller, so no other editor offers it at the same time.
struct OrphanCopy {
    QString copyPath;
    RecoveryHeader header;
    std::unique_ptr<QLockFile> lock;
};

// The copies in `folder` that belong to `filePath` (empty: documents never saved) and whose
// owner has ended, newest first. Copies of other files are left as they are, unlocked.
std::vector<OrphanCopy> claimOrphanCopies(const QString& folder, const QString& filePath);

// The copies of files (not of never-saved documents) whose owner has ended, newest first.
std::vector<OrphanCopy> claimOrphanCopiesOfFiles(const QString& folder);

// The copies whose owner has ended and that are damaged (cut off, a header that does not
// read, empty), claimed like the others.
std::vector<OrphanCopy> claimDamagedCopies(const QString& folder);

// Renames a damaged copy out of the way ("damaged-" before its name, in the same folder), so
// it is kept for the user but no longer looked at; returns where it now is.
QString setAsideDamagedCopy(OrphanCopy orphan);

// The whole copy, or nothing when it cannot be read or is damaged.
std::optional<RecoveryCopy> readRecoveryCopy(const QString& copyPath);

// Removes the copy, then its lock.
void removeRecoveryCopy(const QString& copyPath, std::unique_ptr<QLockFile> lock);

// Two names for the same file: equal, or the same file once links are resolved.
bool sameFile(const QString& a, const QString& b);
