#pragma once

#include <QString>

class Document;
class DocumentBox;
class QWidget;

// The file named at start: loaded when it is a file; where nothing is yet, a new empty
// document of that name, which Save creates; a folder is refused with a message once the
// window is up. A file that cannot be read is skipped, as start-up skips a failing step.
void openStartFile(Document& document, DocumentBox& box, QWidget& window, const QString& path);
