#pragma once

#include <QStyledItemDelegate>

// Draws a row of the folder search's list with its hit marked: the stretch the row's
// ColumnRole and LengthRole give.
class HitDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
