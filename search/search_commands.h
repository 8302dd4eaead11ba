#pragma once

class DocumentBox;
class QWidget;

// Search and replace, find again (F3, Shift+F3) and jump to a line (Ctrl+J), on keys of
// `window` and in the document box's right-click menu.
void installSearchCommands(QWidget* window, DocumentBox* box);
