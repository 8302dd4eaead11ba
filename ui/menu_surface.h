#pragma once

#include "ui/menu_tree.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// The live menus built from the menu tree. Every item is reachable by its name: an item as
// a QAction, a submenu as its QMenu (whose menuAction carries the same name). The toolbar's
// pop-up buttons show these very QMenu objects.
class MenuSurface {
public:
    MenuSurface(QMenuBar* bar, QWidget* shortcutOwner);

    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;
    // Element `index` of a control array (uTagView3, uTemp1 ...), or null.
    QAction* arrayItem(const QString& name, int index) const;
    int arrayLength(const QString& name) const;

    // Control arrays that grow at run time: the new element goes after the last one.
    QAction* appendArrayItem(const QString& name, const QString& caption);

    // Connects the command of an item, or of every element of a control array (which is
    // handed its index).
    void onTriggered(const QString& name, std::function<void()> command);
    void onArrayTriggered(const QString& name, std::function<void(int)> command);

    QStringList itemNames() const;

private:
    void build(QMenu* parent, const std::vector<MenuItemSpec>& items);
    QAction* makeAction(const MenuItemSpec& entry, int index);

    QMenuBar* m_bar;
    QWidget* m_owner;
    QHash<QString, QAction*> m_actions;
    QHash<QString, QMenu*> m_menus;
    QHash<QString, QList<QAction*>> m_arrays;
    QHash<QString, QMenu*> m_arrayParents;
    QHash<QString, std::function<void(int)>> m_arrayCommands;
};
