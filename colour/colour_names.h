#pragma once

#include <QString>

#include <optional>

// The colour-name list hcnn.otf, as the picker shows it: decoded like a document, every line
// followed by CR LF (a last line without a line end included). Nothing when the file cannot
// be read.
std::optional<QString> readColourNameList(const QString& path);

// What the list shows instead when the file cannot be read.
QString missingColourNameListText();
