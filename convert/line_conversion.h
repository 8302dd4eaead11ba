#pragma once

#include "jtext/conversion.h"
#include "text/text_change.h"

#include <QStringView>

#include <functional>

// A text conversion run over a stretch of a page as the changes it makes: line by line (no
// conversion reaches across a line break), each changed line giving one change of just the
// part that differs, so converting a large page touches only what it converts.
using TextConverter = std::function<jtext::Conversion(QStringView text)>;

struct ConvertedLines {
    TextChanges changes; // starts counted from the start of the text, in order
    qsizetype changed = 0; // characters, as the conversion counts them
    qsizetype left = 0;    // characters it left as they were on purpose
};

// `text` has LF line breaks, one position each, as the text model counts positions.
ConvertedLines convertLines(QStringView text, const TextConverter& convert);
