#pragma once

#include <QPlainTextDocumentLayout>

// The plain-text layout of the model's document, which can lay a block out again for new
// formats (the HTML colours) and have only that block painted again.
//
// QTextLayout::setFormats marks its block as changed over its whole length, and the document
// reports a marked change as twice that length, so the next report reaches into the block
// after it: the layout would then drop the lines of both and paint the whole box again, every
// line shaped anew. restyle() lays the block out at once and takes that mark away.
class BlockLayout : public QPlainTextDocumentLayout {
    Q_OBJECT
public:
    using QPlainTextDocumentLayout::QPlainTextDocumentLayout;

    // After `block`'s formats were set, outside the document's report of a change.
    void restyle(const QTextBlock& block);
    // The same while the document reports an edit of that block alone, [from, from + removed)
    // become `added` characters: the block is laid out here, once, with its colours; when the
    // report is done it is painted alone, and laid out again only if its count of lines changed.
    void restyleEdited(const QTextBlock& block, int from, int removed, int added);

protected:
    void documentChanged(int from, int removed, int added) override;

private:
    void keepShapes(const QTextBlock& block);

    bool m_restyling = false;
    // The layout that keeps its shapes, compared only: its block may be gone.
    const QTextLayout* m_shapesKept = nullptr;
    int m_shapesKeptNumber = -1;
    struct Edit {
        int block = -1; // the block's position; -1: none
        int from = 0;
        int removed = 0;
        int added = 0;
        int lineCount = 0; // the block's before the edit
    };
    Edit m_edit;
};
