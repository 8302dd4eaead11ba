#pragma once

class QApplication;

// What every program of the project sets up once: Qt's own Japanese translations (dialogs,
// Yes and No), and the Japanese fonts that stand in for the ones the windows ask for by name.
void prepareApplication(QApplication& app);

// The document box's initial font: "ＭＳ Ｐゴシック" at 10.2 points.
class QFont;
QFont initialDocumentFont();
