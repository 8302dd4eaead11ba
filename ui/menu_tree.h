#pragma once

#include <QString>

#include <vector>

// The menu bar as data. The bar, the toolbar pop-ups and the forwarding buttons are all
// built from this one tree and joined to their commands by item name.
struct MenuItemSpec {
    QString name;
    QString caption;          // "-" makes a separator; "&" marks the access key
    QString shortcut = {};    // portable QKeySequence text, e.g. "Ctrl+N"
    bool enabled = true;
    int arrayLength = 0;      // > 0: a control array of that many items sharing the name
    std::vector<MenuItemSpec> children = {};

    bool isSeparator() const { return caption == QLatin1String("-"); }
    bool isSubmenu() const { return !children.empty(); }
};

const std::vector<MenuItemSpec>& menuTree();

// The item of that name anywhere in the tree, or null.
const MenuItemSpec* findMenuItem(const QString& name);
