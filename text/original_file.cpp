#include "text/original_file.h"

#include "text/file_read.h"

#include <QHash>

namespace {
size_t fingerprint(QByteArrayView bytes)
{
    return qHash(bytes, size_t(0x5eed));
}
}

OriginalFile OriginalFile::of(const QString& path, QByteArrayView bytes)
{
    OriginalFile file;
    file.path = path;
    file.size = bytes.size();
    file.hash = fingerprint(bytes);
    return file;
}

bool OriginalFile::matches(QByteArrayView bytes) const
{
    return size == bytes.size() && hash == fingerprint(bytes);
}

std::optional<QByteArray> bytesAsRead(const OriginalFile& original, TextEncoding encoding,
                                      LineEnding ending)
{
    if (original.path.isEmpty() || encoding != original.encoding || ending != original.lineEnding)
        return std::nullopt;
    FileRead bytes = readWholeFile(original.path, ReadCap::refuseOver(original.size));
    if (!bytes || !original.matches(*bytes))
        return std::nullopt;
    return bytes.take();
}
