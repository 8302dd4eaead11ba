#pragma once

#include <QString>

class QWidget;

// Opens the file with the program the desktop associates with it. False, without trying,
// when FileExists says there is no such file; otherwise whether the opener was started.
bool ShellOpen(QWidget* window, const QString& path);

// Centres the window, frame and all, on the primary screen without changing its size.
void CenterForm(QWidget* window);

// The position CenterForm gives a window of that size on that screen (integer halves).
int centredOffset(int screenExtent, int windowExtent);
