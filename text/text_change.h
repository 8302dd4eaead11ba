#pragma once

#include <QList>
#include <QString>

// One change of a text: `length` characters from `start` become `text`.
struct TextChange {
    qsizetype start = 0;
    qsizetype length = 0;
    QString text;
};

// Changes in the order of their starts, none overlapping another.
using TextChanges = QList<TextChange>;

