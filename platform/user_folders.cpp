#include "platform/user_folders.h"

#include "platform/optional_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

FolderState inspectFolder(const QByteArray& path)
{
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0)
        return errno == ENOENT ? FolderState::Missing : FolderState::Foreign;
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return FolderState::Foreign;
    return (info.st_mode & 077) == 0 ? FolderState::Private : FolderState::Loose;
}

PrivateFolder privateFolder(const QString& path, bool create)
{
    PrivateFolder folder{path, {}};
    if (path.isEmpty()) {
        folder.problem = QStringLiteral("ホームフォルダーが分かりません。");
        return folder;
    }
    const QByteArray native = QFile::encodeName(path);
    if (create && inspectFolder(native) == FolderState::Missing) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
            folder.problem = QStringLiteral("%1 を作れません（%2）。").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return folder;
        }
    }
    switch (inspectFolder(native)) {
    case FolderState::Private:
        return folder;
    case FolderState::Missing:
        folder.problem = QStringLiteral("%1 がありません。").arg(path);
        return folder;
    case FolderState::Foreign:
        folder.problem = QStringLiteral("%1 はほかのユーザーのものか、リンクか、フォルダーではありません。").arg(path);
        return folder;
    case FolderState::Loose:
        if (!create || ::chmod(native.constData(), 0700) != 0)
            folder.problem = QStringLiteral("%1 はほかのユーザーも入れるフォルダーです。").arg(path);
        return folder;
    }
    return folder;
}

PrivateFolder stateFolder(bool create)
{
    QString state = QFile::decodeName(qgetenv("XDG_STATE_HOME"));
    if (!QDir::isAbsolutePath(state)) {
        const QString home = QFile::decodeName(qgetenv("HOME"));
        state = QDir::isAbsolutePath(home) ? home + QStringLiteral("/.local/state") : QString();
    }
    return privateFolder(state.isEmpty() ? QString() : state + QStringLiteral("/vornikedit"), create);
}

PrivateFolder configFolder(bool create)
{
    return privateFolder(userFolder().chopped(1), create);
}
