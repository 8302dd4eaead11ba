#pragma once

#include <QObject>
#include <QString>

// What the commands that put markup into the document see of it: the selection, the one
// replace-selection operation, and the way back to the document. Nothing else of the window.
class InsertionPoint : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The selected text, CR LF between lines; empty when nothing is selected.
    virtual QString readSelection() const = 0;
    // The selection (or the empty range at the caret) becomes `crlfText`, as one undo step;
    // the text is kept as TagRam. The focus does not move.
    virtual void insert(const QString& crlfText) = 0;
    // The text last inserted.
    const QString& TagRam() const { return m_TagRam; }

    // The document box takes the focus within its window.
    virtual void focusDocument() = 0;
    // From another window: the main window becomes active with the focus in the document.
    virtual void activateDocument() = 0;
    // Text arrived from outside: the main window comes to the front, restored if minimised.
    virtual void raiseWindow() = 0;

protected:
    QString m_TagRam;
};
