#pragma once

#include "text/file_write.h"

#include <QString>

class QWidget;

// Tells the user what became of a save of `path` where it was more than a plain success: a
// failure (with the way back to the old text where the file may be damaged), or a text that
// is in place but may not survive a power cut. True when the text is in the file.
bool tellSaveOutcome(QWidget& window, const QString& path, const WriteOutcome& outcome);
