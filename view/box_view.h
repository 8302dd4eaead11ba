#pragma once

class DocumentBox;
class QWidget;

// What the document box shows besides its text, as the 表示 switches ask: the HTML colours,
// the line numbers, the partner tag's marks (with Ctrl+M) and the marks for blanks. None of
// them changes the text, its undo history or the window's layout.
void installBoxView(DocumentBox* box, QWidget* window);
