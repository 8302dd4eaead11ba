#include "text/file_write.h"

#include <QSaveFile>

bool writeWholeFile(const QString& path, QByteArrayView bytes)
{
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // On a full disk a write can come back short without an error, and commit() can report
    // success after its own final flush failed: check each step and give up on any doubt.
    constexpr qsizetype kChunk = 4 << 20;
    for (qsizetype done = 0; done < bytes.size();) {
        const qsizetype part = qMin(kChunk, bytes.size() - done);
        const qint64 written = file.write(bytes.data() + done, part);
        if (written != part) {
            file.cancelWriting();
            return false;
        }
        done += part;
    }
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
