#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <functional>
#include <utility>

class QTextBlock;
class QTextCursor;
class QTextDocument;

// How the text model keeps the page's lines in the blocks of its QTextDocument, where that is
// not simply one block a line. Only the text model uses it.
//
// Qt lays out a block whole, so a line too long for that is held as several blocks: each piece
// after the first is preceded by a soft break, a block separator that is no part of the text,
// recognised by a mark in the block format of the block after it (edits, undo and redo keep
// block formats with their blocks).
//
// Building a block costs the document far more than a character, so a page of many lines is
// held in groups of a few lines a block, the lines of a group parted by line separators
// (U+2028, which Qt lays out as a line break inside a block). Such a page holds no U+2028 of
// its own when it is opened; one put in later carries a mark in its character format.
//
// The characters a document always makes a block separator of (U+2029 and Qt's two frame
// marks U+FDD0, U+FDD1) are held as separators too, the character they stand for written in
// the block format after them, so they stay characters of the text.
//
// Box positions count every character of the document; text positions leave soft breaks out.
// Every other separator is one character either way.
class LineHolding {
public:
    // Pages of more lines than this are held in groups.
    static constexpr qsizetype kGroupFromLines = 20000;

    // What a whole page needs, found in one pass over it.
    struct Shape {
        bool pieces = false;      // a line too long to lay out whole
        bool groups = false;      // many lines, none parted by a U+2028 of its own
        bool ownBreaks = false;   // U+2029, U+FDD0 or U+FDD1
        bool plain() const { return !pieces && !groups && !ownBreaks; }
    };
    static Shape shapeOf(QStringView crlfText);
    // The same of a page in parts, each but the last ending with a line break.
    static Shape shapeOf(const QList<QString>& crlfParts);

    explicit LineHolding(QTextDocument* document) : m_document(document) {}

    bool grouped() const { return m_grouped; }
    bool mayHavePieces() const { return m_pieces; }
    // Whether the page still holds a soft break; clears the flag when it does not.
    bool recountPieces();
    // Every box position is a text position and every separator a line break.
    bool isPlain() const { return !m_pieces && !m_grouped && !m_ownSeparators && !m_ownBreaks; }

    // The whole document becomes `crlfText`, its long lines in pieces and, with `shape.groups`,
    // its lines in groups. Not a step of the undo history: this is how the page is held.
    void load(QStringView crlfText, const Shape& shape);
    // The same from the page's `count` parts in order, each whole lines, as `partAt` gives
    // them (it may wait for a part to be read); each is let go once the document holds it.
    void load(qsizetype count, const std::function<QString(qsizetype)>& partAt, const Shape& shape);
    // The document was given a text that needs nothing of this.
    void forget();

    // Inserts `text` (line breaks by the one rule) at the cursor, which has nothing selected:
    // each line break a real one, each U+2028 a character, each U+2029 or frame mark a
    // separator that stands for itself. New blocks never take a mark from the block they are
    // split from.
    void insertText(QTextCursor& cursor, QStringView text);
    // Removes the box range selected by `cursor`; the block that keeps the range's start keeps
    // its own mark, whichever block the document lets it take the format of.
    void removeSelected(QTextCursor& cursor);
    // Splits the blocks that meet the box range [from, to] and are too long to lay out whole.
    void split(int from, int to);
    // Joins again the pieces of the lines that meet the box range [from, to] and are short
    // enough now to lay out whole (an edit taken back, text taken out of a long line).
    void joinShortLines(int from, int to);

    // The box range [from, to) as text, `lineBreak` for each real line break.
    QString text(int from, int to, QStringView lineBreak) const;
    // Whether every separator in the box is a line break: then the whole text is made in the
    // string the box's raw text is read into, with no second copy of the page.
    bool separatorsAreBreaks() const { return !m_pieces && !m_ownSeparators && !m_ownBreaks; }
    qsizetype toText(int boxPosition) const;
    // A text position standing at a soft break is the end of the piece before it.
    int toBox(qsizetype textPosition) const;
    qsizetype softBreakCount() const;
    int lineCount() const;
    // Counted from 1.
    int lineAt(int boxPosition) const;
    // The box position where `line` (from 1) starts.
    int lineStart(int line) const;
    // The line around `boxPosition` as box positions [start, end), looking at most `limit`
    // characters either way.
    std::pair<int, int> lineAround(int boxPosition, int limit) const;

    // The text of `block`, LF for each separator that parts grouped lines, read without laying
    // the block out.
    QString blockText(const QTextBlock& block) const;
    // Whether `block` goes on the line of the block before it (a soft break stands before it).
    static bool followsSoftBreak(const QTextBlock& block);
    // Whether a line starts with `block` (the first block, or one after a real line break).
    static bool startsLine(const QTextBlock& block);

    // The index is built again when next asked for.
    void invalidate() { m_indexValid = false; }
    // The document's box range [position, position + removed) became `added` characters: the
    // index is mended where it was built, so a keystroke in a large page costs no pass over it.
    void changed(int position, int removed, int added);

private:
    class Filler;
    // Box positions in order: the soft breaks, the block separators that stand for a character
    // of their own (and the characters), the line separators that part grouped lines, and the
    // U+2028 characters that are the text's own.
    struct Index {
        QList<int> softBreaks;
        QList<int> ownBreaks;
        QList<char16_t> ownBreakCharacters;
        QList<int> separators;
        QList<int> ownSeparators;
    };
    const Index& index() const;
    // The index entries of the box range [from, to).
    Index scan(int from, int to) const;
    void insertOwnSeparator(QTextCursor& cursor);
    bool isGroupSeparator(int boxPosition) const;

    QTextDocument* m_document;
    bool m_pieces = false;
    bool m_grouped = false;
    bool m_ownSeparators = false;
    bool m_ownBreaks = false;
    mutable Index m_index;
    mutable bool m_indexValid = false;
};
