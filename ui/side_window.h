#pragma once

#include "document/insertion_point.h"

#include <QPointer>
#include <QWidget>

// What the side windows (colour picker, table builder) share: one open at a time each,
// without an owner and not modal, a fixed single border and the design font. Their text
// goes to wherever the document's selection is at that moment; closing one returns to the
// document, and none outlives the document it writes into.
class SideWindow : public QWidget {
    Q_OBJECT
protected:
    SideWindow(InsertionPoint& target, const QString& name, const QString& title, QSize size);

    // Brings the open window of that kind to the front, making it first when none is open.
    template <class Window>
    static Window* showOne(QPointer<Window>& open, InsertionPoint& target)
    {
        if (!open)
            open = new Window(target);
        open->show();
        open->raise();
        open->activateWindow();
        return open;
    }

    void insert(const QString& crlfText);
    void closeEvent(QCloseEvent* event) override;

private:
    QPointer<InsertionPoint> m_target;
};
