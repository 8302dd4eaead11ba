#include "platform/optional_files.h"

#include "platform/program_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
std::optional<bool>& writableOverride()
{
    static std::optional<bool> writable;
    return writable;
}
}

QString userFolder()
{
    // Not AppConfigLocation: organisation and program share the name, which would double it.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/vornikedit/");
}

QString optionalFilePath(const QString& relativeName)
{
    const QString own = userFolder() + relativeName;
    if (QFileInfo::exists(own))
        return own;
    return ProgramFolder() + relativeName;
}

bool programFolderIsWritable()
{
    if (writableOverride())
        return *writableOverride();
    return QFileInfo(ProgramFolder()).isWritable();
}

QString writableFilePath(const QString& relativeName)
{
    const QString own = userFolder() + relativeName;
    if (QFileInfo::exists(own))
        return own;
    const QString shared = ProgramFolder() + relativeName;
    const QFileInfo sharedFolder(QFileInfo(shared).absolutePath());
    if (programFolderIsWritable() && sharedFolder.isDir() && sharedFolder.isWritable())
        return shared;
    QDir().mkpath(QFileInfo(own).absolutePath());
    return own;
}

namespace platform {
void setProgramFolderWritableForTesting(std::optional<bool> writable)
{
    writableOverride() = writable;
}
}
