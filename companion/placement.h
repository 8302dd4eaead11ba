#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

// The companion's command-line argument: where the editor's window ends, "right,top" in
// twips (15 to a pixel). Empty for anything else.
std::optional<QPoint> parsePlacement(const QString& argument);

// Where a window of `size` goes with its top-left at `wanted`, kept inside `screen`.
QPoint keepOnScreen(QPoint wanted, QSize size, const QRect& screen);
