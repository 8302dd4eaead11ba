#pragma once

// The main window calls into each area through these few entry points, so the window
// itself stays small and each area keeps its commands in its own files.
#include <QString>

class HtmlE;

// app/file_commands.cpp: New, Open, Open in a new window, Save, Save As, drop.
void installFileCommands(HtmlE& window);
// Loads a file into the window as the current document; false when it cannot be read.
bool loadDocumentFile(HtmlE& window, const QString& path);

// tags/template_menu.cpp: the user templates.
void installTemplateCommands(HtmlE& window);
void BuildTemplateMenu(HtmlE& window);

// usertags/user_tag_menu.cpp: the user tags, the companion and the receiving endpoint.
void installUserTagCommands(HtmlE& window);
void LoadUserTags(HtmlE& window);
void watchCompanion(HtmlE& window);
void startReceiver(HtmlE& window);

// colour/ and table/: the two side windows.
void installColourCommands(HtmlE& window);
void installTableCommands(HtmlE& window);

// ui/ and app/: toolbar, clipboard, F1, hover, title bar, path menu, preview, version box.
void installCommandSurface(HtmlE& window);
void updateTitleBar(HtmlE& window);
void updatePathMenu(HtmlE& window);

// ui/appearance.cpp: font, fixed-width font and background colour of editwindow.
void installAppearanceCommands(HtmlE& window);
