#pragma once

class Document;
class QWidget;

// When the current file is opened and a save of it left the backup of its old text behind
// (killed, or failed without copying the old text back), offers that text: restored into the
// box as unsaved changes (the backup stays until the file is saved whole), or the backup is
// deleted. A backup equal to the file is no longer needed and goes without a question.
// True when the box took a backup's text.
bool offerLeftBackups(Document& document, QWidget& view, QWidget& window);
