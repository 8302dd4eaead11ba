#pragma once

#include "text/text_encoding.h"

#include <QString>

#include <optional>

class Document;
class DocumentBox;
class FileControler;
class MenuSurface;
class QWidget;

// What the file commands work on: the document and its box, the file dialogs, and the
// window their questions belong to.
struct FileCommandParts {
    Document& document;
    DocumentBox& box;
    FileControler& files;
    QWidget& window;
};

// New, Open, Open in a new window, Save, Save As, and files dropped on the box.
void installFileCommands(MenuSurface& menus, const FileCommandParts& parts);

// Loads a file as the current document, in the encoding its bytes show or the one given; false
// when it cannot be read. A new page starts a new undo history; the same file read again
// (`again`) is a step of the one it has, so Ctrl+Z takes the reading back.
enum class Reading { NewPage, Again };
bool loadDocumentFile(Document& document, const QString& path, std::optional<TextEncoding> encoding = std::nullopt,
                      Reading reading = Reading::NewPage);

// Opens `path` as 開く does once its dialog is answered: asks before unsaved changes go, then
// loads it, and says so when it cannot be read.
void openDocumentFile(const FileCommandParts& parts, const QString& path);

// Asks before unsaved changes go; true when there are none or the user lets them go.
bool mayDiscardDocument(const FileCommandParts& parts);
