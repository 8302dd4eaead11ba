#pragma once

#include "convert/line_conversion.h"

class Document;
class DocumentBox;
class QWidget;

struct ConversionCount {
    qsizetype changed = 0;
    qsizetype left = 0; // left as they were, where converting them would have made markup
};

// Converts the box's selection as one undo step, leaving the converted text selected; returns
// how many characters it changed and left (none changed: no step).
ConversionCount convertSelection(DocumentBox& box, const TextConverter& convert);

// The box's context menu gets the submenu 変換: width, kana and character references, on the
// selection, or on the whole page after a question when nothing is selected. Character
// references follow the encoding `document` is saved in.
void installTextConversions(DocumentBox* box, const Document& document, QWidget* window);
