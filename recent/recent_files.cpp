#include "recent/recent_files.h"

#include "recovery/recovery_folder.h"
#include "text/file_read.h"
#include "text/file_write.h"

#include <QDir>
#include <QFile>
#include <QLockFile>

namespace {
constexpr qint64 kLongestList = 1 << 20;
constexpr int kLockWaitMs = 5000;
}

QStringList parseRecentList(QByteArrayView bytes)
{
    QStringList paths;
    for (const QByteArray& line : bytes.toByteArray().split('\n')) {
        const QString path = QFile::decodeName(QByteArray::fromPercentEncoding(line));
        if (!path.isEmpty() && QDir::isAbsolutePath(path) && !paths.contains(path))
            paths.append(path);
    }
    return paths.mid(0, kRecentFilesKept);
}

QByteArray formatRecentList(const QStringList& paths)
{
    QByteArray list;
    for (const QString& path : paths) {
        QByteArray line = QFile::encodeName(path);
        line.replace('%', "%25").replace('\r', "%0D").replace('\n', "%0A");
        list += line + '\n';
    }
    return list;
}

QStringList withRecentFile(QStringList paths, const QString& path)
{
    paths.removeAll(path);
    paths.prepend(path);
    return paths.mid(0, kRecentFilesKept);
}

QString recentListPath()
{
    // The names of the files a user works on are private: the folder the unsaved work is kept in,
    // made and checked the same way.
    const QString folder = recoveryFolder(true);
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/recent.txt");
}

RecentFiles::RecentFiles(QString listPath) : m_listPath(std::move(listPath)) {}

QStringList RecentFiles::entries() const
{
    if (m_listPath.isEmpty())
        return {};
    const FileRead bytes = readWholeFile(m_listPath, ReadCap::firstBytes(kLongestList));
    return bytes ? parseRecentList(*bytes) : QStringList();
}

template <class Change>
bool RecentFiles::change(Change change)
{
    if (m_listPath.isEmpty())
        return false;
    QLockFile lock(m_listPath + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockWaitMs))
        return false;
    const QStringList before = entries();
    const QStringList after = change(before);
    return after == before || writeWholeFile(m_listPath, formatRecentList(after));
}

bool RecentFiles::add(const QString& path)
{
    return change([&](const QStringList& paths) { return withRecentFile(paths, path); });
}

bool RecentFiles::remove(const QString& path)
{
    return change([&](QStringList paths) {
        paths.removeAll(path);
        return paths;
    });
}
