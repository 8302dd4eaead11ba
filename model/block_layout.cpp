#include "model/block_layout.h"

#include <QTextBlock>
#include <QTextDocument>

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

void BlockLayout::documentChanged(int from, int removed, int added)
{
    if (!m_restyling)
        QPlainTextDocumentLayout::documentChanged(from, removed, added);
}
