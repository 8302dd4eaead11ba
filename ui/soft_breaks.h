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

// How the box holds lines in blocks, where that is not one block a line.
//
// Qt lays out a block whole, so a line too long for that is held as several blocks: each piece
// after the first is preceded by a soft break, a block separator that is no part of the text,
// recognised by a mark in the block format of the block after it (edits, undo and redo keep
// block formats with their blocks).
//
// Building a block costs the document far more than a character, so a page of many lines is
// held in groups of a few lines a block, the lines of a group parted by line separators
// (U+2029's sibling U+2028, which Qt lays out as a line break inside a block). Such a page
// holds no U+2028 of its own when it is opened; one put in later carries a mark in its
// character format and stays a character.
//
// Positions in the text (`text positions`, as documentText() and the search count them, one
// character per line break) leave soft breaks out; a line separator is one character either
// way.
class SoftBreaks : public QObject {
public:
    // Pages of more lines than this are held in groups.
    static constexpr qsizetype kGroupFromLines = 20000;

    explicit SoftBreaks(QTextDocument* document);

    // Whether a whole document of `crlfText` is best held in groups of lines.
    static bool groupsLines(QStringView crlfText);
    // Whether a soft break stands before `block`.
    static bool follows(const QTextBlock& block);
    // Whether the document may hold soft breaks or grouped lines; false for most pages, which
    // then cost nothing here.
    bool any() const { return m_pieces || m_grouped; }
    bool grouped() const { return m_grouped; }
    bool hasPieces() const { return m_pieces; }
    // Whether every character of the box but a soft break stands for one of the text, so that
    // the box's own text, with its block and group separators as line breaks, is the text.
    bool mapsOneToOne() const { return !m_pieces && !m_ownSeparators; }
    // Inserts `boxText` at the cursor: its line breaks real ones even inside a piece (a new
    // block would otherwise take the piece's mark along), a U+2028 in it a character.
    void insertText(QTextCursor& cursor, const QString& boxText);
    // The whole document becomes `crlfText`, its long lines in pieces and, with `group`, its
    // lines in groups. No step of the undo history: this is how the page is held.
    void setPlainText(QStringView crlfText, bool group);
    // The whole document was replaced by a text without long lines, held a block a line.
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
    // take the character beyond it, and Enter makes a real line break. Shift+Enter in grouped
    // lines puts in the character it puts in anywhere else. True when handled.
    bool keyPress(QPlainTextEdit& box, QKeyEvent* e);

private:
    // Box positions in order: the soft breaks, the numbers of the blocks after them, the line
    // separators that part grouped lines, and the U+2028 characters that are the text's own.
    struct Index {
        QList<int> softBreaks;
        QList<int> separators;
        QList<int> ownSeparators;
    };
    const Index& index() const;
    void insertOwnSeparator(QTextCursor& cursor);

    QTextDocument* m_document;
    bool m_pieces = false;
    bool m_grouped = false;
    bool m_ownSeparators = false;
    mutable Index m_index;
    mutable bool m_indexValid = false;
};
