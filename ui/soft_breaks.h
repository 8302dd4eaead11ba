#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringView>

class QKeyEvent;
class QPlainTextEdit;
class QTextBlock;
class QTextCursor;
class QTextDocument;

// Qt lays out a block whole, so a line too long for that is held in the box as several
// blocks: each piece after the first is preceded by a soft break, a block separator that is
// no part of the text. The block after one carries a mark in its block format, which edits,
// undo and redo keep with it. Positions in the text (`text positions`, as documentText() and
// the search count them, one character per line break) leave soft breaks out.
class SoftBreaks : public QObject {
public:
    explicit SoftBreaks(QTextDocument* document);

    // Whether a soft break stands before `block`.
    static bool follows(const QTextBlock& block);
    // Inserts `boxText` at the cursor, its line breaks real ones even inside a piece (a new
    // block would otherwise take the piece's mark along).
    static void insertText(QTextCursor& cursor, const QString& boxText);
    // Whether the document may hold soft breaks; false for most pages, which then cost
    // nothing here.
    bool any() const { return m_any; }
    // The whole document becomes `boxText` (line breaks as the box takes them), its long lines
    // in pieces. No step of the undo history: the pieces are how the page is held.
    void setPlainText(const QString& boxText);
    // The whole document was replaced by a text without long lines.
    void forget();
    // Splits the blocks that meet the box range [from, to] and are too long to lay out whole.
    // An edit block open on the document takes the splits in.
    void split(int from, int to);

    // The box range [from, to) as text, `lineBreak` for each real line break.
    QString text(int from, int to, QStringView lineBreak) const;
    qsizetype toText(int boxPosition) const;
    // A text position standing at a soft break is the end of the piece before it.
    int toBox(qsizetype textPosition) const;
    int lineCount() const;
    // Counted from 1.
    int lineAt(int boxPosition) const;
    // The box position where `line` (from 1) starts.
    int lineStart(int line) const;

    // Keys next to a soft break act as in the one line the pieces are: Backspace and Delete
    // take the character beyond it, and Enter makes a real line break. True when handled.
    bool keyPress(QPlainTextEdit& box, QKeyEvent* e);

private:
    // Box positions of the soft breaks and the numbers of the blocks after them, both in order.
    struct Index {
        QList<int> positions;
        QList<int> blocks;
    };
    const Index& index() const;

    QTextDocument* m_document;
    bool m_any = false;
    mutable Index m_index;
    mutable bool m_indexValid = false;
};
