#pragma once

#include <QPlainTextEdit>

// editwindow: the document. Inside the program the document is CR LF text; the box keeps
// its lines as blocks, so the conversion happens here and nowhere else.
class DocumentBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit DocumentBox(QWidget* parent = nullptr);

    bool isEmpty() const;

    // The whole document, CR LF between lines, every character as typed (no-break spaces
    // and line separators included).
    QString documentText() const;
    // Replaces the whole document (the undo history starts again).
    void setDocumentText(const QString& crlfText);

    // The selected text, CR LF between lines; empty when nothing is selected.
    QString readSelection() const;
    // The one operation every insertion goes through: the selection (or the empty range at
    // the caret) becomes `crlfText`, as one undo step, leaving the caret after it with
    // nothing selected. The focus does not move.
    void replaceSelection(const QString& crlfText);

    // CR LF, lone CR and lone LF as the box's own line breaks.
    static QString toBoxText(const QString& crlfText);

protected:
    bool event(QEvent* e) override;
};
