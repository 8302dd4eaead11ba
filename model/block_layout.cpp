#include "model/block_layout.h"

#include <QTextBlock>
#include <QTextDocument>

#include <utility>

void BlockLayout::restyle(const QTextBlock& block)
{
    // A block without lines is laid out when its rectangle is asked for (new formats leave it
    // none; its lines are let go here all the same, so it never keeps the old ones).
    QTextBlock lines = block;
    lines.clearLayout();
    blockBoundingRect(block);
    // Reported now, the mark reaches this layout alone, which has nothing left to do.
    m_restyling = true;
    document()->markContentsDirty(block.position(), block.length());
    m_restyling = false;
    Q_EMIT updateBlock(block);
}

void BlockLayout::restyleEdited(const QTextBlock& block, int from, int removed, int added)
{
    // The edit let its lines go already; the count of them stays with the block until it is
    // laid out again.
    const int lineCount = block.lineCount();
    keepShapes(block);
    QTextBlock lines = block;
    lines.clearLayout();
    blockBoundingRect(block);
    m_edit = {block.position(), from, removed, added, lineCount};
}

void BlockLayout::documentChanged(int from, int removed, int added)
{
    if (m_restyling)
        return;
    const Edit edit = std::exchange(m_edit, Edit{});
    // The report that holds the edit and the block's mark, as the document joins them.
    if (edit.block >= 0 && from == std::min(edit.block, edit.from)
        && from + std::max(removed, added) >= edit.from + edit.added) {
        // Laid out with its colours already: where it kept its count of lines, only its painting is
        // left (the base would lay it out a second time, shaping every line again).
        const QTextBlock block = document()->findBlock(edit.block);
        if (block.isValid() && block.position() == edit.block && block.layout()->lineCount() > 0
            && block.layout()->lineCount() == edit.lineCount) {
            Q_EMIT updateBlock(block);
            return;
        }
        QPlainTextDocumentLayout::documentChanged(edit.from, edit.removed, edit.added);
        return;
    }
    QPlainTextDocumentLayout::documentChanged(from, removed, added);
}

void BlockLayout::keepShapes(const QTextBlock& block)
{
    // A layout lets its shapes go once laid out, so placing the caret, drawing it and drawing
    // the line would each shape the line again, every coloured run apart. The block typed in
    // keeps them; the one before lets them go at its next layout.
    if (block.layout() == m_shapesKept)
        return;
    const QTextBlock before = document()->findBlockByNumber(m_shapesKeptNumber);
    if (before.isValid() && before.layout() == m_shapesKept)
        before.layout()->setCacheEnabled(false);
    block.layout()->setCacheEnabled(true);
    m_shapesKept = block.layout();
    m_shapesKeptNumber = block.blockNumber();
}
