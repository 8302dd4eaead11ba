// What the view reads of a block for painting, apart from the rest of the holding.
#include "model/line_holding.h"

#include <QTextBlock>

QString LineHolding::blockText(const QTextBlock& block) const
{
    // Read from the block itself: a cursor would lay the block out first.
    QString text = block.text();
    if (!m_grouped)
        return text;
    const int from = block.position();
    for (qsizetype i = text.indexOf(QChar::LineSeparator); i >= 0; i = text.indexOf(QChar::LineSeparator, i + 1)) {
        if (isGroupSeparator(from + int(i)))
            text[i] = QLatin1Char('\n');
    }
    return text;
}
