#pragma once

// The commands around the document that need no more of the window than these few parts,
// each in a file of its own.
#include <QString>

#include <functional>

class DocumentBox;
class FileControler;
class InsertionPoint;
class MenuSurface;
class QWidget;
class Toolbar;

// ui/clipboard_commands.cpp: clipcut, clipcopy, clippaste, and F1 in the document box.
void installClipboardCommands(MenuSurface& menus, InsertionPoint& document, QWidget* box);

// ui/hover.cpp: the title bar describes the button under the pointer. `describe` is called
// with the new description whenever it changes.
void installHoverDescriptions(QWidget* clientArea, const Toolbar& toolbar, DocumentBox* box,
                              std::function<void(const QString&)> describe);

// ui/appearance.cpp: font, fixed-width font and background colour of the document box.
void installAppearanceCommands(MenuSurface& menus, DocumentBox* box, FileControler& files, QWidget* window);
