#pragma once

#include <QStringView>

// The blanks a line starts with (spaces, tabs, full-width spaces), which Enter carries over
// to the new line.
QStringView leadingBlanks(QStringView line);
