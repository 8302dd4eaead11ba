#include "view/blank_marks.h"

#include "ui/document_box.h"

#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>

#include <optional>

namespace {
void markFullWidthSpace(QPainter& painter, const QRectF& cell)
{
    const qreal inset = qMax<qreal>(1.5, cell.width() / 6);
    painter.drawRect(cell.adjusted(inset, inset, -inset, -inset));
}

void markTab(QPainter& painter, const QRectF& cell)
{
    const qreal y = cell.center().y();
    const qreal head = qMin<qreal>(cell.height() / 5, 4);
    const qreal left = cell.left() + 2;
    const qreal right = qMax(left + head, cell.right() - 2);
    painter.drawLine(QPointF(left, y), QPointF(right, y));
    painter.drawLine(QPointF(right - head, y - head), QPointF(right, y));
    painter.drawLine(QPointF(right - head, y + head), QPointF(right, y));
}

void markLineEnd(QPainter& painter, const QRectF& cell)
{
    const qreal size = qMin<qreal>(cell.height() / 3, 6);
    const qreal x = cell.left() + 2 + size;
    const qreal y = cell.center().y() + size / 2;
    painter.drawLine(QPointF(x, y - size), QPointF(x, y));
    painter.drawLine(QPointF(x, y), QPointF(x - size, y));
    painter.drawLine(QPointF(x - size, y), QPointF(x - size + size / 2, y - size / 2));
}
}

void paintBlankMarks(QPainter& painter, const DocumentBox& box, const QColor& colour)
{
    painter.save();
    painter.setPen(QPen(colour, 1));
    painter.setBrush(Qt::NoBrush);
    const qreal bottom = box.viewport()->height();
    const TextModel& model = box.model();
    // The block after, read to tell a line end from a block separator that is a character of
    // the page (its own U+2029), and kept for the next turn.
    std::optional<TextModel::ShownBlock> after;
    for (QTextBlock block = box.firstShownBlock(); block.isValid(); block = block.next()) {
        const QRectF at = box.shownGeometry(block);
        if (at.top() > bottom)
            break;
        const TextModel::ShownBlock shown = after ? std::move(*after) : model.shownBlock(block);
        after.reset();
        if (!block.isVisible())
            continue;
        const QTextLayout* layout = block.layout();
        const QPointF origin = at.topLeft() + layout->position();
        const auto cell = [&](qsizetype i, bool end) {
            const QTextLine row = layout->lineForTextPosition(int(i));
            if (!row.isValid())
                return QRectF();
            const qreal left = row.cursorToX(int(i));
            const qreal right = end ? left + row.height() : row.cursorToX(int(i) + 1);
            return QRectF(origin.x() + qMin(left, right), origin.y() + row.y(), qAbs(right - left), row.height());
        };
        const qsizetype size = shown.text.size();
        for (qsizetype i = 0; i < size; ++i) {
            const QChar c = shown.text[i];
            if (c.unicode() == 0x3000)
                markFullWidthSpace(painter, cell(i, false));
            else if (c == QLatin1Char('\t'))
                markTab(painter, cell(i, false));
            else if (c == QLatin1Char('\n'))
                markLineEnd(painter, cell(i, true));
        }
        if (!shown.continues && block.next().isValid()) {
            after = model.shownBlock(block.next());
            if (after->startsLine)
                markLineEnd(painter, cell(size, true));
        }
    }
    painter.restore();
}
