#pragma once

#include "text/text_change.h"

#include <QList>
#include <QString>

// What kind of edit a change is, for grouping changes into the steps a person undoes.
enum class EditKind {
    Command,   // a command, a paste, a drop: always a step of its own
    Typing,    // typed characters
    Backspace, // characters taken by BackSpace
    Delete,    // characters taken by Delete
};

// One change of the text, in text positions: at `start` the text `removed` became `added`
// (both CR LF between lines).
struct EditPiece {
    qsizetype start = 0;
    QString removed;
    QString added;
};

// Changes made at once, in the order of their starts, each start counted in the text before
// any of them.
using EditPieces = QList<EditPiece>;

// The model's undo history: steps as a person thinks of them. Typed characters in an unbroken
// run at one place are one step, with the selection the first of them replaced; so is a run
// of BackSpace or of Delete. A run ends when the caret is moved, at a line break, when another
// kind of edit comes, and after a pause without typing. Everything else is a step of its own.
class EditHistory {
public:
    // A pause of this long ends a run.
    static constexpr qint64 kRunPauseMs = 1000;

    struct Step {
        // Applied in order; each is a list of pieces in the text as it stood when it came.
        QList<EditPieces> edits;
        // A whole page replaced: `page` is the text on the other side of the step (before it
        // while the step is done, after it while undone), and `at` where the two first differ.
        bool wholePage = false;
        QString page;
        qsizetype at = 0;
        EditKind kind = EditKind::Command;
        qint64 lastAt = 0;
    };

    // Records a change just made. `join` makes it part of the step before it whatever its
    // kind. Steps undone are dropped.
    void record(EditPieces pieces, EditKind kind, qint64 now, bool join = false);
    // A whole page replaced; `before` is the text it had.
    void recordWholePage(QString before, qsizetype at);
    // The run being typed ends: the next edit starts a step of its own.
    void endRun() { m_runOpen = false; }

    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < m_steps.size(); }
    // Steps that can be undone.
    int undoCount() const { return int(m_done); }
    // The step an undo would take back, and the one a redo would make again.
    Step& toUndo() { return m_steps[m_done - 1]; }
    Step& toRedo() { return m_steps[m_done]; }
    void undone() { --m_done; m_runOpen = false; }
    void redone() { ++m_done; m_runOpen = false; }

    // The text as it stands is the saved one; and whether it still is, by the history alone
    // (a new history knows of no saved text until it is told).
    void markSaved() { m_saved = m_done; m_runOpen = false; }
    // The saved text is nowhere in the history (nothing was saved, or its step was dropped).
    void forgetSaved() { m_saved = -1; }
    bool atSaved() const { return m_saved == m_done; }
    void clear();

    // The pieces that take `pieces` back, in the text after them, and the text length they
    // span there.
    static EditPieces inverse(const EditPieces& pieces);
    // Text positions in `text`: a line break counts one, whichever form it has.
    static qsizetype textLength(QStringView text);

private:
    bool joins(const EditPieces& pieces, EditKind kind, qint64 now) const;

    QList<Step> m_steps;
    qsizetype m_done = 0;
    qsizetype m_saved = -1;
    bool m_runOpen = false;
};
