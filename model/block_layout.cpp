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
    QTextBlock lines = block;
    lines.clearLayout();
    blockBoundingRect(block);
    m_edit = {block.position(), from, removed, added};
}

void BlockLayout::documentChanged(int from, int removed, int added)
{
    if (m_restyling)
        return;
    const Edit edit = std::exchange(m_edit, Edit{});
    // The report that holds the edit and the block's mark, as the document joins them.
    if (edit.block >= 0 && from == std::min(edit.block, edit.from)
        && from + std::max(removed, added) >= edit.from + edit.added) {
        QPlainTextDocumentLayout::documentChanged(edit.from, edit.removed, edit.added);
        return;
    }
    QPlainTextDocumentLayout::documentChanged(from, removed, added);
}
