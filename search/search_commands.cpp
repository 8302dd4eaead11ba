#include "search/search_commands.h"

#include "ui/document_box.h"
#include "search/line_jump_window.h"
#include "search/search_session.h"
#include "search/search_window.h"
#include "ui/document_context_menu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

namespace {
void findAgain(QWidget* window, DocumentBox* box, SearchDirection direction)
{
    if (SearchWindow* open = SearchWindow::instance(); open && open->isVisible()) {
        open->findNext(direction);
        return;
    }
    using Kind = SearchSession::Outcome::Kind;
    const SearchSession::Outcome outcome = SearchSession::of(box)->find(direction);
    if (outcome.kind == Kind::NoPattern || outcome.kind == Kind::Invalid)
        SearchWindow::showFor(box, window); // nothing to find yet, or the window says why
    else if (outcome.kind == Kind::NotFound)
        QApplication::beep();
}

QAction* command(QWidget* window, const char* name, const QString& caption, QKeySequence key)
{
    auto* a = new QAction(caption, window);
    a->setObjectName(QLatin1String(name));
    a->setShortcut(key);
    a->setShortcutContext(Qt::WindowShortcut);
    window->addAction(a);
    return a;
}
}

void installSearchCommands(QWidget* window, DocumentBox* box)
{
    QAction* find = command(window, "searchFind", QStringLiteral("検索(&F)..."), QKeySequence(Qt::CTRL | Qt::Key_G));
    QAction* replace = command(window, "searchReplace", QStringLiteral("置換(&R)..."), QKeySequence(Qt::CTRL | Qt::Key_H));
    QAction* next = command(window, "searchNext", QStringLiteral("次を検索(&N)"), QKeySequence(Qt::Key_F3));
    QAction* previous = command(window, "searchPrevious", QStringLiteral("前を検索(&V)"), QKeySequence(Qt::SHIFT | Qt::Key_F3));
    QAction* jump = command(window, "jumpToLine", QStringLiteral("行へ移動(&J)..."), QKeySequence(Qt::CTRL | Qt::Key_J));

    QObject::connect(find, &QAction::triggered, box, [window, box] { SearchWindow::showFor(box, window); });
    QObject::connect(replace, &QAction::triggered, box, [window, box] { SearchWindow::showFor(box, window); });
    QObject::connect(next, &QAction::triggered, box, [window, box] { findAgain(window, box, SearchDirection::Forward); });
    QObject::connect(previous, &QAction::triggered, box, [window, box] { findAgain(window, box, SearchDirection::Backward); });
    QObject::connect(jump, &QAction::triggered, box, [window, box] { LineJumpWindow::showFor(box, window); });

    DocumentContextMenu::of(box, window)->addEntries([=](QMenu& menu) {
        menu.addActions({find, replace, next, previous});
        menu.addSeparator();
        menu.addAction(jump);
    });
}
