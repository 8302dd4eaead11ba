#pragma once

#include "model/text_model.h"
#include "text/text_change.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QStringList>

#include <functional>
#include <optional>

class QMimeData;

// editwindow: the view of the page's text model, with the keys, the input method, the
// clipboard and drops. Inside the program the document is CR LF text, counted in text
// positions; every change the user makes here goes to the model's one edit path.
class DocumentBox : public QPlainTextEdit {
    Q_OBJECT
public:
    // A view of `model`, which outlives it (the document owns it).
    explicit DocumentBox(TextModel& model, QWidget* parent = nullptr);

    TextModel& model() const { return *m_model; }
    bool isEmpty() const { return m_model->isEmpty(); }

    // The model's text, and a new page in it (the undo history starts again; the caret goes to
    // its start): shorthands for the view's own users and tests.
    QString documentText() const { return m_model->text(); }
    void setDocumentText(const QString& crlfText);

    // The selection in text positions, and choosing one (scrolled into view).
    TextRange selection() const;
    void select(qsizetype anchor, qsizetype position);
    qsizetype caret() const { return selection().position; }

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
    void undoStep();
    void redoStep();
    // Lines wrap at the box's edge when the user asks for it; lines held in pieces always do.
    void setWrapWanted(bool wanted);
    // For what is painted over the text (colour, line numbers, marks): the first block shown,
    // a block's place in the viewport, and room at the viewport's left.
    QTextBlock firstShownBlock() const { return firstVisibleBlock(); }
    QRectF shownGeometry(const QTextBlock& block) const
    {
        return blockBoundingGeometry(block).translated(contentOffset());
    }
    void setLeftMargin(int width) { setViewportMargins(width, 0, 0, 0); }
    // Lays out a line of Japanese text in the box's font, so the fonts a Japanese page's first
    // paint needs are found and loaded before it (while a large page is still being read).
    void prepareJapaneseFonts() const;
    // Help with typing markup, switched by the user; off in a box nobody switched it on in.
    struct TypingHelp {
        bool keepIndentation = false; // Enter carries the line's leading blanks over
        bool closeTags = false;       // "</" is completed with the open element's name
    };
    void setTypingHelp(TypingHelp help) { m_typingHelp = help; }
    TypingHelp typingHelp() const { return m_typingHelp; }
    // Selects the element around the selection, start tag to end tag (again: the next one
    // out); false where there is none, and the selection stays.
    bool selectElement();
    // The input method is shown the caret's line as the text has it.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

    // The text a paste of `source` puts in: only what was put there as text, never a list of
    // files as their addresses.
    static std::optional<QString> pastedText(const QMimeData* source);
    // The local files of a drop or paste, in their order; empty when it holds none.
    static QStringList localFiles(const QMimeData* source);
    // How a drag begun in the box is carried out: given what is dragged and the actions
    // offered, it answers the action the drop took. Tests put in their own; by default the
    // platform's drag.
    using DragRunner = std::function<Qt::DropAction(const QMimeData&, Qt::DropActions)>;
    void setDragRunner(DragRunner run);
    // The text position shown at a point of the viewport.
    qsizetype textPositionAt(QPointF viewportPoint) const;

Q_SIGNALS:
    // Files were dropped on the box; nothing was inserted.
    void filesDropped(const QStringList& paths);

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    // A press on the selection may begin a drag of it (box_drops.cpp).
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    // Copies and drags carry the text as it is, line breaks as the platform has them.
    QMimeData* createMimeDataFromSelection() const override;
    // Dropped local files are opened; a dropped text goes in at the drop point, one step.
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    // Pasting goes through replaceSelection like every insertion.
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // The last selection read, kept until the text or the selection changes, so that a
    // wrap of a large selection can insert just its two ends.
    struct ReadSelection {
        TextRange range{-1, -1};
        QString text;
    };
    mutable ReadSelection m_lastRead;
    TextModel* m_model;
    // The revision at which a pre-edit took the selection away: the commit that follows joins
    // that step.
    quint64 m_composedOver = 0;
    bool m_composing = false;
    // Where the pre-edit is shown (null when none is): the box shows it in that block's
    // layout and never lets the input method's events reach the document's text.
    QTextCursor m_preeditAt;
    bool m_inInputMethod = false;
    bool m_endingComposition = false;
    void showPreedit(const QInputMethodEvent& e);
    void hidePreedit();
    // Before the program moves the caret or edits: what is being composed goes in where it
    // was composed (or, where the input method does not answer, goes), leaving nothing behind.
    void endComposition();
    // After a move the box was not told of beforehand: the pre-edit goes and the input
    // method starts afresh.
    void abandonComposition();
    void commitComposed(const QInputMethodEvent& e, TextRange selected);
    // A drag begun here: what it took, and whether it was dropped back into the box.
    struct Dragged {
        TextRange range;
        quint64 revision = 0;
        bool droppedInside = false;
    };
    std::optional<Dragged> m_dragged;
    std::optional<QPoint> m_pressedOnSelection;
    QElapsedTimer m_doubleClicked; // a press soon after is a third click: it selects the line
    DragRunner m_dragRunner;
    void startDrag();
    void dropDragged(TextRange dragged, qsizetype at, bool copy);
    bool wrapsLastRead(const QString& crlfText, qsizetype* openingLength) const;
    // [from, to) becomes `text`; the caret goes to the end of it.
    void replaceRange(qsizetype from, qsizetype to, QStringView text, EditKind kind = EditKind::Command);
    // While the box edits, the caret it moves is no move of the user's.
    int m_ownEdits = 0;
    // What a deleting key takes, as text positions; empty when it takes nothing.
    TextRange deletedBy(const QKeyEvent* e) const;
    bool editByKey(QKeyEvent* e);
    // Enter and a typed "/" with the typing help, each one step (box_typing.cpp).
    void typeLineBreak(bool indent);
    void typeText(const QString& typed);
    TypingHelp m_typingHelp;
    // What a closing-tag completion put in after the "/": typed next, those characters are taken
    // as typed over it rather than put in twice ("</p>" typed whole gives "</p>").
    struct TypeOver {
        QString rest;
        qsizetype at = -1;
        quint64 revision = 0;
    } m_typeOver;
    // Pieces shown unwrapped would each be one very wide line: while the page holds any,
    // every line wraps at the box's edge, anywhere.
    void showWrapped();
    bool m_wrapWanted = false;
};
