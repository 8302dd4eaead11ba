#include "platform/file_exists.h"

#include <QDir>
#include <QFileInfo>

namespace {
bool isOrdinaryFile(const QFileInfo& info)
{
    return info.isFile() && !info.fileName().startsWith(u'.');
}

bool hasWildcard(const QString& name)
{
    return name.contains(u'*') || name.contains(u'?') || name.contains(u'[');
}
}

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!hasWildcard(info.fileName()))
        return isOrdinaryFile(info);
    // A pattern: does any ordinary file of that folder match it?
    const QDir dir = info.dir();
    const QFileInfoList matches = dir.entryInfoList({info.fileName()}, QDir::Files);
    for (const QFileInfo& m : matches) {
        if (isOrdinaryFile(m))
            return true;
    }
    return false;
}
