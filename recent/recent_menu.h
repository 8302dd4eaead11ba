#pragma once

#include <QString>

#include <functional>

class Document;
class DocumentBox;
class QWidget;

// 最近使ったファイル in the document box's context menu: the files last opened or saved,
// newest first, by name with the folder beside it. Choosing one runs `open` (the file
// commands' open, with its question about unsaved changes); one that is gone is said so and
// dropped from the list. Every file the document opens or saves goes to the top of the list.
void installRecentFiles(Document& document, DocumentBox& box, QWidget& window,
                        std::function<void(const QString& path)> open);
