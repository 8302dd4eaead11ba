#include "recent/recent_files.h"

#include "recovery/recovery_folder.h"
#include "text/file_read.h"
#include "text/private_file.h"

#include <QDir>
#include <QFile>
#include <QLockFile>

namespace {
constexpr qint64 kLongestList = 1 << 20;
constexpr int kLockWaitMs = 100;
constexpr int kRetryMs = 1000;
constexpr int kLongestRetryMs = 30000;
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
    // The names of the files a user works on are private: the state folder, by its one rule.
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
    return after == before || writePrivateFile(m_listPath, formatRecentList(after));
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

RecentChanges::RecentChanges(QString listPath, QObject* parent) : QObject(parent), m_files(std::move(listPath))
{
    m_retry.setSingleShot(true);
    m_waitMs = kRetryMs;
    connect(&m_retry, &QTimer::timeout, this, &RecentChanges::tryNow);
}

void RecentChanges::add(const QString& path)
{
    m_pending.append({true, path});
    tryNow();
}

void RecentChanges::remove(const QString& path)
{
    m_pending.append({false, path});
    tryNow();
}

QStringList RecentChanges::entries() const
{
    QStringList paths = m_files.entries();
    for (const auto& [added, path] : m_pending) {
        if (added) {
            paths = withRecentFile(paths, path);
        } else {
            paths.removeAll(path);
        }
    }
    return paths;
}

void RecentChanges::tryNow()
{
    if (!m_files.usable())
        m_pending.clear(); // no state folder: nothing to keep them in, now or later
    while (!m_pending.isEmpty()) {
        const auto& [added, path] = m_pending.constFirst();
        if (!(added ? m_files.add(path) : m_files.remove(path))) {
            m_retry.start(m_waitMs);
            m_waitMs = qMin(m_waitMs * 2, kLongestRetryMs);
            return;
        }
        m_pending.removeFirst();
        m_waitMs = kRetryMs;
    }
}
