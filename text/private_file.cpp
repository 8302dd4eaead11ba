#include "text/private_file.h"

#include "text/file_write.h"
#include "text/write_steps.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

bool writePrivateFile(const QString& path, QByteArrayView bytes)
{
    const QFileInfo info(path);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    QByteArray temporary;
    const int fd = write_steps::createUnique(folder + '/' + temporaryNamePrefix(QFile::encodeName(info.fileName())),
                                             0600, &temporary);
    if (fd < 0)
        return false;
    const bool written = write_steps::writeAll(fd, bytes, 0) && write_steps::dataSync(fd);
    const bool closed = write_steps::closeFile(fd);
    if (!written || !closed || !write_steps::renameFile(temporary, target)) {
        ::unlink(temporary.constData());
        return false;
    }
    write_steps::syncFolder(folder);
    return true;
}
