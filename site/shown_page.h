#pragma once

#include "document/document.h"
#include "search/text_search.h"
#include "ui/document_box.h"

#include <QPointer>
#include <QString>

// The one place where the site windows touch the page this window shows: its file, its text
// as the box holds it (unsaved edits count), a line shown, and a replace as one undo step
// through the text model's edit path.
class PageInBox {
public:
    PageInBox(Document& document, DocumentBox* box);

    bool isOpen() const { return m_box != nullptr; }
    // The page's file; empty while it has none.
    QString path() const;
    // Whether `path` names the page's file.
    bool holds(const QString& path) const;
    // The text with LF between lines, as the search code takes it.
    QString lfText() const;
    void showLine(int line);
    // Every match replaced as one undo step; the number replaced.
    qsizetype replaceAll(const TextSearch& search);
    DocumentBox* box() const { return m_box; }

private:
    QPointer<Document> m_document;
    QPointer<DocumentBox> m_box;
};

// The caret at the start of `line` (from 1); past the last line, on the last line.
void showPageLine(DocumentBox& box, int line);
