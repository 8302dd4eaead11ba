#pragma once

// The pieces installCommandSurface puts together, each in a file of its own.
class HtmlE;
class Toolbar;

// ui/clipboard_commands.cpp: clipcut, clipcopy, clippaste, and F1 in editwindow.
void installClipboardCommands(HtmlE& window);
// ui/hover.cpp: the title bar describes the button under the pointer.
void installHoverDescriptions(HtmlE& window, const Toolbar& toolbar);
// app/launch_commands.cpp: the browser preview and the file manager.
void installLaunchCommands(HtmlE& window);
// app/about_box.cpp: vershow.
void installAboutCommand(HtmlE& window);
