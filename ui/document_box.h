#pragma once

#include "text/text_change.h"

#include <QPlainTextEdit>
#include <QStringList>

class SoftBreaks;
class QMimeData;

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
    // The same operation for a new text given as changes of the selected text (their starts
    // counted in text positions from the selection's start): only the changed stretches are
    // touched, so replacing throughout a large page does not rebuild the lines between.
    void replaceSelection(const TextChanges& changes);

    // Lines too long to lay out whole are held in pieces; this maps positions between the box
    // and the text, and counts lines.
    const SoftBreaks& softBreaks() const { return *m_softBreaks; }

    // CR LF, lone CR and lone LF as the box's own line breaks.
    static QString toBoxText(const QString& crlfText);

    // True when the box holds `crlfText` exactly as given, so a copy of it is known to equal
    // documentText() without reading the box back. Characters the box takes as line breaks
    // of its own (U+2029 and its two frame marks) and lone CR or LF make it false.
    static bool holdsTextAsGiven(QStringView crlfText);

    // The local files of a drop or paste, in their order; empty when it holds none.
    static QStringList localFiles(const QMimeData* source);

Q_SIGNALS:
    // Files were dropped on the box; nothing was inserted.
    void filesDropped(const QStringList& paths);

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    // Copies and drags leave soft breaks out, as the window's own commands do.
    QMimeData* createMimeDataFromSelection() const override;
    // A drop is a list of local files to open, never text to insert; the caret stays put.
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    // Pasting goes through replaceSelection like every insertion, and a file list is never
    // pasted as its URLs.
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // The last selection read, kept until the document or the selection changes, so that a
    // wrap of a large selection can insert just its two ends.
    struct ReadSelection {
        int anchor = -1;
        int position = -1;
        QString text;
    };
    mutable ReadSelection m_lastRead;
    SoftBreaks* m_softBreaks = nullptr;
    bool wrapsLastRead(const QString& crlfText, qsizetype* openingLength) const;
    // Pieces shown unwrapped would each be one very wide line: while the page holds any,
    // every line wraps at the box's edge, anywhere.
    void showWrapped(bool wrapped);
};
