#include "ui/menu_surface.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace {
constexpr char kIndexProperty[] = "arrayIndex";
}

MenuSurface::MenuSurface(QMenuBar* bar, QWidget* shortcutOwner) : m_bar(bar), m_owner(shortcutOwner)
{
    for (const MenuItemSpec& top : menuTree()) {
        if (top.isSubmenu()) {
            auto* menu = new QMenu(top.caption, m_bar);
            menu->setObjectName(top.name);
            menu->menuAction()->setObjectName(top.name);
            menu->menuAction()->setEnabled(top.enabled);
            m_menus.insert(top.name, menu);
            m_actions.insert(top.name, menu->menuAction());
            m_bar->addMenu(menu);
            build(menu, top.children);
        } else {
            QAction* a = makeAction(top, -1);
            m_bar->addAction(a);
        }
    }
}

QAction* MenuSurface::makeAction(const MenuItemSpec& entry, int index)
{
    auto* a = new QAction(entry.caption, m_owner);
    a->setObjectName(entry.name);
    a->setEnabled(entry.enabled);
    if (!entry.shortcut.isEmpty()) {
        a->setShortcut(QKeySequence(entry.shortcut, QKeySequence::PortableText));
        a->setShortcutContext(Qt::WindowShortcut);
        // The window owns the shortcut even while the menu bar is hidden or closed.
        m_owner->addAction(a);
    }
    if (index >= 0)
        a->setProperty(kIndexProperty, index);
    else
        m_actions.insert(entry.name, a);
    return a;
}

void MenuSurface::build(QMenu* parent, const std::vector<MenuItemSpec>& items)
{
    for (const MenuItemSpec& item : items) {
        if (item.isSeparator()) {
            QAction* s = parent->addSeparator();
            s->setObjectName(item.name);
            m_actions.insert(item.name, s);
        } else if (item.isSubmenu()) {
            QMenu* sub = parent->addMenu(item.caption);
            sub->setObjectName(item.name);
            sub->menuAction()->setObjectName(item.name);
            sub->menuAction()->setEnabled(item.enabled);
            m_menus.insert(item.name, sub);
            m_actions.insert(item.name, sub->menuAction());
            build(sub, item.children);
        } else if (item.arrayLength > 0) {
            m_arrayParents.insert(item.name, parent);
            QList<QAction*>& elements = m_arrays[item.name];
            for (int i = 0; i < item.arrayLength; ++i) {
                QAction* a = makeAction(item, i);
                parent->addAction(a);
                elements.append(a);
            }
        } else {
            parent->addAction(makeAction(item, -1));
        }
    }
}

QAction* MenuSurface::action(const QString& name) const
{
    return m_actions.value(name);
}

QMenu* MenuSurface::menu(const QString& name) const
{
    return m_menus.value(name);
}

QAction* MenuSurface::arrayItem(const QString& name, int index) const
{
    const QList<QAction*> elements = m_arrays.value(name);
    return index >= 0 && index < elements.size() ? elements.at(index) : nullptr;
}

int MenuSurface::arrayLength(const QString& name) const
{
    return int(m_arrays.value(name).size());
}

QAction* MenuSurface::appendArrayItem(const QString& name, const QString& caption)
{
    QMenu* parent = m_arrayParents.value(name);
    if (!parent)
        return nullptr;
    QList<QAction*>& elements = m_arrays[name];
    auto* a = new QAction(caption, m_owner);
    a->setObjectName(name);
    const int index = int(elements.size());
    a->setProperty(kIndexProperty, index);
    parent->addAction(a);
    elements.append(a);
    if (auto command = m_arrayCommands.value(name))
        QObject::connect(a, &QAction::triggered, a, [command, index] { command(index); });
    return a;
}

void MenuSurface::onTriggered(const QString& name, std::function<void()> command)
{
    QAction* a = action(name);
    // A misspelt name would leave a command silently unjoined: stop at start-up instead.
    if (!a)
        qFatal("no menu item is named %s", qPrintable(name));
    QObject::connect(a, &QAction::triggered, a, [command = std::move(command)] { command(); });
}

void MenuSurface::onArrayTriggered(const QString& name, std::function<void(int)> command)
{
    if (!m_arrays.contains(name))
        qFatal("no menu control array is named %s", qPrintable(name));
    m_arrayCommands.insert(name, command);
    const QList<QAction*> elements = m_arrays.value(name);
    for (int i = 0; i < elements.size(); ++i)
        QObject::connect(elements.at(i), &QAction::triggered, elements.at(i), [command, i] { command(i); });
}

QStringList MenuSurface::itemNames() const
{
    QStringList names = m_actions.keys();
    names += m_arrays.keys();
    return names;
}
