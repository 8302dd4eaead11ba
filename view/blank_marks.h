#pragma once

class DocumentBox;
class QColor;
class QPainter;

// Faint marks over what cannot be seen in the blocks shown: a square for each full-width space
// (U+3000; a stray one breaks a page silently), an arrow for each tab and a hook at each line
// end; none where a row ends at a character of the page's own (U+2029), which is no line end.
// Painted over the text, never put into it.
void paintBlankMarks(QPainter& painter, const DocumentBox& box, const QColor& colour);
