#pragma once

#include <QString>

// Where one of the optional files (tag.ini, template/..., hcnn.otf) is read from, given its
// name relative to the program folder. Every reader asks here, so the lookup order lives in
// one place.
QString optionalFilePath(const QString& relativeName);
