#pragma once

#include <QMargins>

#include <functional>

class QWidget;

// The edges of a window's frame as far as they are known: the real ones once the desktop has
// framed the window; before that, those of another framed window of the program.
QMargins knownFrameMargins(const QWidget* window);

// Calls `framed` with the real margins once the desktop has framed the window, if they differ
// from `guess` (a fixed-size window may have a thinner frame than a resizable one).
void whenFramedOtherwise(QWidget* window, QMargins guess, std::function<void(QMargins)> framed);
