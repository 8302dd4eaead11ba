#pragma once

#include <QByteArrayView>
#include <QString>

// Writes a whole file in one of the user's private folders (platform/user_folders.h): the
// bytes go to a new file of mode 0600 under a temporary name, which is renamed over `path`
// once every byte is on disk. A symbolic link at `path` is replaced, never followed, and a
// failed write leaves the old file as it was (never an empty or cut-off one).
bool writePrivateFile(const QString& path, QByteArrayView bytes);
