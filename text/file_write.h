#pragma once

#include <QByteArrayView>
#include <QString>

// The one checked way the program writes a whole file (documents, tag.ini, vornik!.ini).
// The text goes to a temporary file beside the target, which replaces it only once every
// byte is on disk, so a failed write leaves the old file as it was.

// True only when all of `bytes` went to `path`. The target keeps its permissions; a symlink
// is followed, so the file it points to gets the text.
bool writeWholeFile(const QString& path, QByteArrayView bytes);
