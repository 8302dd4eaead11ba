#pragma once

#include <QString>

class QWidget;

// The program's message boxes, in the styles its commands use. Buttons read in Japanese
// through Qt's own translation.
enum class MessageIcon { Information, Exclamation };

// Yes or No; true only for Yes.
bool askYesNo(QWidget* parent, const QString& title, const QString& text, MessageIcon icon,
              bool yesIsDefault);

void tellUser(QWidget* parent, const QString& title, const QString& text, MessageIcon icon);

// Message texts are written with CR between sentences, as the program's own texts stand;
// the box shows each as a line of its own.
QString displayLines(QString text);
