#include "ui/document_context_menu.h"

#include "ui/document_box.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

DocumentContextMenu* DocumentContextMenu::of(DocumentBox* box, QWidget* window)
{
    if (auto* existing = box->findChild<DocumentContextMenu*>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new DocumentContextMenu(box, window);
}

DocumentContextMenu::DocumentContextMenu(DocumentBox* box, QWidget* window)
    : QObject(box), m_box(box), m_window(window)
{
    setObjectName(QStringLiteral("documentContextMenu"));
    // A right-click reaches the box through its viewport, the menu key through the box.
    box->installEventFilter(this);
    box->viewport()->installEventFilter(this);
}

void DocumentContextMenu::addEntries(Filler fill)
{
    m_fillers.push_back(std::move(fill));
}

void DocumentContextMenu::triggerWindowCommand(const char* name) const
{
    if (auto* command = m_window->findChild<QAction*>(QLatin1String(name)))
        command->trigger();
}

QMenu* DocumentContextMenu::build(QPoint globalPos) const
{
    QMenu* menu = m_box->createStandardContextMenu(m_box->viewport()->mapFromGlobal(globalPos));
    menu->setObjectName(QStringLiteral("documentMenu"));
    // The box's own entries would go round the window's commands.
    const struct {
        const char* entry;
        const char* command;
    } clipboard[] = {{"edit-cut", "clipcut"}, {"edit-copy", "clipcopy"}, {"edit-paste", "clippaste"}};
    const auto reroute = [menu](const char* entry, auto&& to) {
        QAction* a = menu->findChild<QAction*>(QLatin1String(entry));
        if (!a)
            return;
        QObject::disconnect(a, &QAction::triggered, nullptr, nullptr);
        connect(a, &QAction::triggered, menu, to);
    };
    for (const auto& [entry, command] : clipboard) {
        const char* name = command;
        reroute(entry, [this, name] { triggerWindowCommand(name); });
    }
    // The rest of the box's own entries change the text too: through its edit path.
    reroute("edit-undo", [this] { m_box->undoStep(); });
    reroute("edit-redo", [this] { m_box->redoStep(); });
    // The history is the model's; the document underneath keeps none to enable them by.
    if (QAction* undo = menu->findChild<QAction*>(QStringLiteral("edit-undo")))
        undo->setEnabled(!m_box->isReadOnly() && m_box->model().isUndoAvailable());
    if (QAction* redo = menu->findChild<QAction*>(QStringLiteral("edit-redo")))
        redo->setEnabled(!m_box->isReadOnly() && m_box->model().isRedoAvailable());
    reroute("edit-delete", [this] { m_box->replaceSelection(QString()); });
    // The submenu of Unicode control characters (offered where right-to-left text is) would
    // put them into the document behind the model; a page can write them as references.
    for (QAction* a : menu->actions()) {
        if (a->menu() && qstrcmp(a->menu()->metaObject()->className(), "QUnicodeControlCharacterMenu") == 0)
            menu->removeAction(a);
    }
    // Beside 全て選択: the element around the selection, the next one out each time.
    QAction* element = new QAction(QStringLiteral("要素を選択"), menu);
    element->setObjectName(QStringLiteral("selectElement"));
    element->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A)); // shown; the box takes the key
    connect(element, &QAction::triggered, m_box, [box = m_box] { box->selectElement(); });
    QAction* selectAll = menu->findChild<QAction*>(QStringLiteral("select-all"));
    const QList<QAction*> entries = menu->actions();
    const qsizetype at = entries.indexOf(selectAll);
    menu->insertAction(at >= 0 && at + 1 < entries.size() ? entries[at + 1] : nullptr, element);
    for (const Filler& fill : m_fillers) {
        menu->addSeparator();
        fill(*menu);
    }
    return menu;
}

bool DocumentContextMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ContextMenu) {
        auto* e = static_cast<QContextMenuEvent*>(event);
        QMenu* menu = build(e->globalPos());
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(e->globalPos());
        return true;
    }
    if (watched == m_box->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() == Qt::MiddleButton && !m_box->isReadOnly()) {
            m_box->setTextCursor(m_box->cursorForPosition(e->position().toPoint()));
            triggerWindowCommand("clippaste");
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
