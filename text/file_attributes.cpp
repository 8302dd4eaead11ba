#include "text/file_attributes.h"

#include <QList>

#include <cerrno>
#include <optional>
#include <sys/xattr.h>
#include <unistd.h>

namespace {
// The names of the extended attributes, or nothing when the filesystem has none.
std::optional<QList<QByteArray>> attributeNames(ssize_t (*list)(const void*, char*, size_t), const void* of)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t size = list(of, nullptr, 0);
        if (size < 0)
            return (errno == ENOTSUP) ? std::optional<QList<QByteArray>>(QList<QByteArray>()) : std::nullopt;
        QByteArray buffer(size, Qt::Uninitialized);
        const ssize_t got = list(of, buffer.data(), size_t(buffer.size()));
        if (got < 0 && errno == ERANGE)
            continue; // it grew meanwhile
        if (got < 0)
            return std::nullopt;
        buffer.truncate(got);
        QList<QByteArray> names = buffer.split('\0');
        names.removeAll(QByteArray());
        return names;
    }
    return std::nullopt;
}

ssize_t listOfPath(const void* path, char* buffer, size_t size)
{
    return ::listxattr(static_cast<const char*>(path), buffer, size);
}

ssize_t listOfFd(const void* fd, char* buffer, size_t size)
{
    return ::flistxattr(*static_cast<const int*>(fd), buffer, size);
}

std::optional<QByteArray> attributeValue(const QByteArray& path, const QByteArray& name)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t size = ::getxattr(path.constData(), name.constData(), nullptr, 0);
        if (size < 0)
            return std::nullopt;
        QByteArray value(size, Qt::Uninitialized);
        const ssize_t got = ::getxattr(path.constData(), name.constData(), value.data(), size_t(value.size()));
        if (got < 0 && errno == ERANGE)
            continue;
        if (got < 0)
            return std::nullopt;
        value.truncate(got);
        return value;
    }
    return std::nullopt;
}

bool copyAttributes(const QByteArray& original, int fd)
{
    const auto wanted = attributeNames(listOfPath, original.constData());
    const auto present = attributeNames(listOfFd, &fd);
    if (!wanted || !present)
        return false;
    // What the folder's default ACL gave the new file, the old one did not have.
    for (const QByteArray& name : *present) {
        if (!wanted->contains(name) && ::fremovexattr(fd, name.constData()) != 0)
            return false;
    }
    for (const QByteArray& name : *wanted) {
        const std::optional<QByteArray> value = attributeValue(original, name);
        if (!value || ::fsetxattr(fd, name.constData(), value->constData(), size_t(value->size()), 0) != 0)
            return false;
    }
    return true;
}
}

bool carryAttributes(const QByteArray& original, const struct stat& st, int fd)
{
    struct stat now {};
    if (::fstat(fd, &now) != 0)
        return false;
    // Owner first: a change of owner clears setuid and setgid, which the mode then sets.
    if ((now.st_uid != st.st_uid || now.st_gid != st.st_gid) && ::fchown(fd, st.st_uid, st.st_gid) != 0)
        return false;
    // Attributes before the mode: an access ACL rewrites the group bits.
    if (!copyAttributes(original, fd))
        return false;
    if (::fchmod(fd, st.st_mode & 07777) != 0)
        return false;
    // The kernel drops setgid silently for a group the writer is not in.
    if (::fstat(fd, &now) != 0)
        return false;
    return now.st_uid == st.st_uid && now.st_gid == st.st_gid && (now.st_mode & 07777) == (st.st_mode & 07777);
}

bool keepModeBits(int fd, const struct stat& st)
{
    struct stat now {};
    if (::fstat(fd, &now) != 0)
        return false;
    if ((now.st_mode & 07777) == (st.st_mode & 07777))
        return true;
    return ::fchmod(fd, st.st_mode & 07777) == 0 && ::fstat(fd, &now) == 0
        && (now.st_mode & 07777) == (st.st_mode & 07777);
}
