#include "usertags/endpoint_location.h"

#include "platform/user_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <unistd.h>

namespace {

using Folder = FolderState;

Folder inspect(const QByteArray& path)
{
    return inspectFolder(path);
}

EndpointLocation at(const QString& folder)
{
    EndpointLocation location;
    location.folder = folder;
    location.socketPath = folder + QStringLiteral("/endpoint");
    location.lockPath = folder + QStringLiteral("/endpoint.lock");
    return location;
}

QStringList candidates()
{
    QStringList folders;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && inspect(runtime) == Folder::Private)
        folders << QFile::decodeName(runtime) + QStringLiteral("/vornikedit");
    folders << QDir::tempPath() + QStringLiteral("/vornikedit-%1").arg(::getuid());
    QString state = QFile::decodeName(qgetenv("XDG_STATE_HOME"));
    if (!QDir::isAbsolutePath(state)) {
        const QString home = QFile::decodeName(qgetenv("HOME"));
        state = QDir::isAbsolutePath(home) ? home + QStringLiteral("/.local/state") : QString();
    }
    // A home folder may be shared between machines; a socket is not.
    if (!state.isEmpty())
        folders << state + QStringLiteral("/vornikedit/endpoint-") + QSysInfo::machineHostName();
    return folders;
}

}

EndpointLocation endpointLocation(bool create)
{
    QStringList refused;
    const QStringList folders = candidates();
    auto nothing = [&] {
        EndpointLocation none = folders.isEmpty() ? EndpointLocation() : at(folders.first());
        none.error = refused.isEmpty()
            ? QStringLiteral("no editor has made its endpoint folder")
            : QStringLiteral("no private folder for the endpoint (%1)").arg(refused.join(QStringLiteral("; ")));
        return none;
    };
    for (const QString& candidate : folders) {
        EndpointLocation location = at(candidate);
        const QByteArray folder = QFile::encodeName(location.folder);
        // Made (its parents too: the state folder may not be there yet on a fresh account) and
        // closed to others by the one rule for the user's folders.
        const PrivateFolder made = create ? privateFolder(location.folder, true) : PrivateFolder{};
        if (made.ok())
            return location;
        if (create && inspect(folder) == Folder::Missing) {
            refused << made.problem;
            continue;
        }
        switch (inspect(folder)) {
        case Folder::Foreign:
            refused << QStringLiteral("%1 belongs to another user or is not a folder").arg(location.folder);
            continue;
        case Folder::Missing:
            // Not made by an editor (yet): an editor that could not make it is further on.
            // Where one could have (a private folder of ours), none runs in this session, and
            // one further on belongs to another session.
            if (!create && inspect(QFile::encodeName(QFileInfo(location.folder).path())) == Folder::Private)
                return nothing();
            continue;
        case Folder::Loose:
            location.error = QStringLiteral("%1 is not a private folder of this user").arg(location.folder);
            return location;
        case Folder::Private:
            return location;
        }
    }
    return nothing();
}
