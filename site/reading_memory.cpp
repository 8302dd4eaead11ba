#include "site/reading_memory.h"

#include <QFile>
#include <QHash>


#include <ctime>
#include <mutex>

namespace {
// The file systems' clocks step by a few milliseconds; a file unchanged for longer than this
// shows any later write in its times.
constexpr qint64 kSettledNs = 1'000'000'000;
// A bound on what is kept; past it everything is let go and learnt again.
constexpr qsizetype kMostFiles = 200'000;

struct Kept {
    FileIdentity identity;
    FileReading reading;
};

std::mutex lock;
QHash<QString, Kept>& kept()
{
    static QHash<QString, Kept> files;
    return files;
}

qint64 nanoseconds(const timespec& t)
{
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}
}

namespace readingmemory {
std::optional<FileReading> recall(const QString& path, const FileIdentity& identity)
{
    const std::lock_guard guard(lock);
    const auto found = kept().constFind(path);
    if (found == kept().cend() || found->identity != identity)
        return std::nullopt;
    return found->reading;
}

void keep(const QString& path, const FileIdentity& before, const FileIdentity& after, const FileReading& reading)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    if (before != after || nanoseconds(now) - after.changedNs < kSettledNs)
        return;
    const std::lock_guard guard(lock);
    if (kept().size() >= kMostFiles)
        kept().clear();
    kept().insert(path, {after, reading});
}
}
