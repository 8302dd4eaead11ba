#include "platform/program_folder.h"

#include <QCoreApplication>

namespace {
QString& overrideFolder()
{
    static QString folder;
    return folder;
}

QString withSlash(QString folder)
{
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}
}

QString ProgramFolder()
{
    if (!overrideFolder().isEmpty())
        return withSlash(overrideFolder());
    return withSlash(QCoreApplication::applicationDirPath());
}

namespace platform {
void setProgramFolderForTesting(const QString& folder)
{
    overrideFolder() = folder;
}
}
