#pragma once

#include <QString>

// The folder that holds the running executable, always ending in "/". The optional files
// (vornik!.ini, tag.ini, template/, hcnn.otf) and the companion live there.
QString ProgramFolder();

namespace platform {
// Tests point the program at a folder of their own; an empty text goes back to the real one.
void setProgramFolderForTesting(const QString& folder);
}
