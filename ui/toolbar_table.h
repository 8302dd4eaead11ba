#pragma once

#include <QRect>
#include <QString>

#include <span>

// The toolbar as data: every button with its place, look and what a click does. The
// buttons have no logic of their own; they forward to a menu item or pop up a submenu, so
// the menu tree stays the one place where commands are joined.
enum class ToolbarPanel { Both, General, Tags };

enum class ButtonClick {
    PanelSwitch, // ButtonChange
    Forward,     // runs the command of the menu item `target`
    Popup,       // shows the submenu of `target` at the mouse
};

enum class FocusAfter {
    EditWindow,          // the focus goes back to editwindow
    Unchanged,           // the command's own window keeps it
    UnlessCompanionRuns, // editwindow, except while the companion holds it
};

// Background of a button: the toolkit's button face, or a fixed colour.
enum class ButtonFace { System, Grey, Black, White, Yellow, Red, Blue, Cyan };

struct ToolbarButtonSpec {
    const char* name;
    ToolbarPanel panel;
    int left, top, width, height; // twips, from the top-left corner of the client area
    const char* picture;          // icon resource under :/icons/, or empty
    const char* caption;          // text shown instead of a picture, or empty
    ButtonFace face;
    const char* tooltip;
    ButtonClick click;
    const char* target; // menu item name; empty for the panel switch
    FocusAfter focus;
};

std::span<const ToolbarButtonSpec> toolbarButtons();
const ToolbarButtonSpec* findToolbarButton(QStringView name);

// The description the title bar shows while the pointer is over the button: its tooltip
// after one blank, so it reads as a word of its own after the time.
QString hoverText(const ToolbarButtonSpec& button);

// The button's rectangle in pixels. Edges are rounded, not sizes, so neighbours that touch in
// twips still touch in pixels.
QRect pixelRect(const ToolbarButtonSpec& button);
