#include "usertags/endpoint_location.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isPrivateFolder(const QByteArray& path, bool fix)
{
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return false;
    if ((info.st_mode & 077) == 0)
        return true;
    return fix && ::chmod(path.constData(), 0700) == 0;
}

}

EndpointLocation endpointLocation(bool create)
{
    EndpointLocation location;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    QString base;
    QString name = QStringLiteral("vornikedit");
    if (!runtime.isEmpty() && isPrivateFolder(runtime, false)) {
        base = QFile::decodeName(runtime);
    } else {
        base = QDir::tempPath();
        name += QStringLiteral("-%1").arg(::getuid());
    }
    location.folder = base + u'/' + name;
    location.socketPath = location.folder + QStringLiteral("/endpoint");
    location.lockPath = location.folder + QStringLiteral("/endpoint.lock");

    const QByteArray folder = QFile::encodeName(location.folder);
    if (create && ::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST) {
        location.error = QStringLiteral("%1: %2").arg(location.folder, QString::fromLocal8Bit(std::strerror(errno)));
        return location;
    }
    if (!isPrivateFolder(folder, create))
        location.error = QStringLiteral("%1 is not a private folder of this user").arg(location.folder);
    return location;
}
