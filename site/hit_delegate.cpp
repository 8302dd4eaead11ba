#include "site/hit_delegate.h"

#include "site/folder_search_window.h"

#include <QApplication>
#include <QPainter>

void HitDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int length = index.data(FolderSearchWindow::LengthRole).toInt();
    if (length <= 0) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget).adjusted(2, 0, -2, 0);
    const int column = index.data(FolderSearchWindow::ColumnRole).toInt();
    const QFontMetrics metrics(opt.font);
    const QString before = text.left(column);
    const QString hit = text.mid(column, length);
    const int x = area.left() + metrics.horizontalAdvance(before);
    const QRect hitRect(x, area.top(), metrics.horizontalAdvance(hit), area.height());
    painter->save();
    painter->fillRect(hitRect, opt.palette.color(QPalette::Highlight).lighter(160));
    painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(area, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text);
    painter->restore();
}
