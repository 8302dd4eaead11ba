#pragma once

// The window's own parts, each in a file of its own, over the document model and the few
// widgets they need.
#include <QString>

class Document;
class InsertionPoint;
class MenuSurface;
class QAction;
class QWidget;

// app/title_bar.cpp: the file's name, the time and the hover description in the title bar,
// and the path menu's caption.
void updateTitleBar(QWidget& window, const Document& document, const QString& hover);
void updatePathMenu(QAction& pathMenu, const Document& document);

// app/launch_commands.cpp: the browser preview and the file manager.
void installLaunchCommands(MenuSurface& menus, const Document& document, InsertionPoint& insertion,
                           QWidget& window);

// app/about_box.cpp: vershow.
void installAboutCommand(MenuSurface& menus, QWidget& window);
