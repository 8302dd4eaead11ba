#pragma once

class Document;
class QWidget;

// Before Save writes the document's file: when the file has changed on disk since the
// editor read or last wrote it (another window, another program), asks whether to overwrite
// it. True when the save may go on.
bool mayOverwriteChangedFile(QWidget& window, const Document& document);
