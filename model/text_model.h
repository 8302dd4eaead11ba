#pragma once

#include "model/edit_history.h"
#include "model/line_holding.h"
#include "text/text_change.h"

#include <QObject>
#include <QString>
#include <QStringView>

#include <functional>
#include <utility>

class QTextBlock;
class QTextCursor;
class QTextDocument;

// A stretch of the text between an anchor and the caret, in text positions.
struct TextRange {
    qsizetype anchor = 0;
    qsizetype position = 0;
    qsizetype start() const { return qMin(anchor, position); }
    qsizetype end() const { return qMax(anchor, position); }
    bool isEmpty() const { return anchor == position; }
};

// The page's text and its one owner. It holds the QTextDocument the document box shows and
// the way lines are kept in it, and takes every change of the text: each goes through
// replace() (or setText() for a whole new page, undo() and redo()), lands as one undo step,
// and is reported in text positions. Everything outside speaks text positions (one per
// character of the text, a line break being one) and lines counted from 1; only the view
// maps them to the document's own positions.
class TextModel : public QObject {
    Q_OBJECT
public:
    explicit TextModel(QObject* parent = nullptr);
    ~TextModel() override;

    qsizetype length() const { return m_length; }
    bool isEmpty() const { return m_length == 0; }
    // The whole text, CR LF between lines, every character as it was given.
    QString text() const;
    // [from, to) with `lineBreak` between lines.
    QString text(qsizetype from, qsizetype to, QStringView lineBreak = u"\r\n") const;
    // The whole text as text() gives it, handed over in parts of about `partLength` positions
    // (never parting a CR LF), so a reader that goes through it (a digest) needs no whole copy.
    void readText(const std::function<void(QString)>& take, qsizetype partLength = kTextPart) const;
    static constexpr qsizetype kTextPart = qsizetype(1) << 20;
    // The same, each part but the last ending after a line break (a line longer than a part
    // is a part of its own), for a reader that must not part a line (an encoder).
    void readLines(const std::function<void(QString)>& take, qsizetype partLength = kTextPart) const;
    // The size of text(): a line break is two characters there.
    qsizetype textLength() const { return m_length + lineCount() - 1; }
    // Whether text() of a page given `crlfText` is `crlfText` itself, so a copy of it can stand
    // for the text without reading it back.
    static bool holdsTextAsGiven(QStringView crlfText);
    // Counts every change, so a reader can tell whether the text moved on since it read it.
    quint64 revision() const { return m_revision; }

    int lineCount() const { return m_holding.lineCount(); }
    // The line (from 1) that `position` is on.
    int lineAt(qsizetype position) const;
    // Where `line` (from 1) starts; the end of the text past the last line.
    qsizetype lineStart(int line) const;
    // The line around `position` as [start, end), looking at most `limit` characters either way.
    std::pair<qsizetype, qsizetype> lineAround(qsizetype position, int limit) const;

    // A new page: the undo history starts again, and the page counts as saved.
    void setText(const QString& crlfText);
    // The same from a large page's parts in order (each whole lines, CR LF between them) and
    // its shape, as found while they were read; each part is let go once the box holds it.
    void setText(QList<QString>& crlfParts, const LineHolding::Shape& shape);
    // The same, the parts given by `partAt` in order (it may wait for each to be read).
    void setText(qsizetype count, const std::function<QString(qsizetype)>& partAt, const LineHolding::Shape& shape);
    // The whole page becomes `crlfText` as one undo step (a restored copy, the file read again
    // in another encoding). Returns where the old and the new text first differ.
    qsizetype replaceWholePage(const QString& crlfText);
    // [from, to) becomes `text` (line breaks CR LF, CR or LF), as one undo step, or as part of
    // the run being typed (`kind`). Returns where the new text ends.
    qsizetype replace(qsizetype from, qsizetype to, QStringView text, EditKind kind = EditKind::Command);
    // The same, as part of the step before it (what an input method puts in where its pre-edit
    // took the selection away is one step with that).
    qsizetype replaceJoiningPrevious(qsizetype from, qsizetype to, QStringView text);
    // The same for a new text of [from, to) given as changes, their starts counted from
    // `from`, in order and not overlapping: only the changed stretches are touched. Returns
    // where the range now ends.
    qsizetype replace(qsizetype from, qsizetype to, const TextChanges& changes);
    // The run being typed ends (the caret was moved): the next edit is a step of its own.
    void endTypingRun() { m_history.endRun(); }
    bool isUndoAvailable() const { return m_history.canUndo(); }
    bool isRedoAvailable() const { return m_history.canRedo(); }
    int undoCount() const { return m_history.undoCount(); }
    // One step back or forward. Returns where the caret goes: after undo, after the text the
    // step took away and now restored (where its text was, when it only inserted); after redo,
    // after the text it puts in again.
    qsizetype undo();
    qsizetype redo();
    // The text as it stands is the saved one; whether it is still, known from the history
    // without reading the text; the saved text is none of the history's.
    void markSaved() { m_history.markSaved(); }
    bool isAtSaved() const { return m_history.atSaved(); }
    void forgetSaved() { m_history.forgetSaved(); }
    // Where the time comes from that ends a typed run after a pause (tests set their own).
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }
    // Changes made to the document that did not come through this model; none is the rule.
    int strayChanges() const { return m_strayChanges; }

    // While one lives, what the document reports is a change of how it is shown (the input
    // method's pre-edit, formats), not of the text; a change of the text in it is a stray one.
    class LayoutOnly {
    public:
        explicit LayoutOnly(TextModel& model) : m_model(model)
        {
            if (m_model.m_layoutOnly++ == 0)
                m_model.m_layoutOnlyFrom = m_model.documentRevision();
        }
        ~LayoutOnly() { --m_model.m_layoutOnly; }
        LayoutOnly(const LayoutOnly&) = delete;
        LayoutOnly& operator=(const LayoutOnly&) = delete;

    private:
        TextModel& m_model;
    };

    // For the view alone.
    QTextDocument* document() const { return m_document; }
    int toBox(qsizetype position) const { return m_holding.toBox(position); }
    qsizetype toText(int boxPosition) const { return m_holding.toText(boxPosition); }
    // What box block `block` shows, for painting: its text (LF where grouped lines part, so an
    // offset in it is an offset in the block), whether a line starts with it, and whether its
    // line goes on in the next block (a piece of a long line).
    struct ShownBlock {
        QString text;
        bool startsLine = true;
        bool continues = false;
    };
    ShownBlock shownBlock(const QTextBlock& block) const;
    // Lines too long to lay out whole are held in pieces: the view wraps while there are any.
    bool hasPieces() const { return m_piecesShown; }

Q_SIGNALS:
    // [position, position + removed) of the text before the change is now `added` characters.
    void changed(qsizetype position, qsizetype removed, qsizetype added);
    // A new page was set, or the whole page replaced: the caret belongs at `caret`.
    void pageReplaced(qsizetype caret);
    void piecesChanged(bool pieces);

private:
    class Editing;
    void documentChanged(int position, int removed, int added);
    qsizetype apply(qsizetype from, qsizetype to, const TextChanges& changes, EditKind kind, bool join);
    // Makes the changes in the document, nothing else; pieces in the order of their starts.
    void edit(const EditPieces& pieces);
    // The whole page becomes `crlfText`, held as a loaded page would be.
    void hold(const QString& crlfText);
    void holdAs(const LineHolding::Shape& shape, const std::function<void()>& fill);
    // A whole-page step undone or redone; returns where the caret goes.
    qsizetype turnWholePage(EditHistory::Step& step);
    qsizetype now() const;
    void showPieces(bool pieces);
    qsizetype countLength() const;
    int documentRevision() const;
    bool textChangedIn(int position, int added) const;

    QTextDocument* m_document;
    LineHolding m_holding;
    EditHistory m_history;
    std::function<qint64()> m_clock;
    qsizetype m_length = 0;
    quint64 m_revision = 0;
    int m_editing = 0;
    int m_layoutOnly = 0;
    int m_ownReports = 0;
    int m_layoutOnlyFrom = 0; // the document's revision when the outermost LayoutOnly began
    bool m_loading = false;
    bool m_piecesShown = false;
    int m_strayChanges = 0;
};
