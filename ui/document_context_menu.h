#pragma once

#include <QObject>
#include <QPoint>

#include <functional>

class DocumentBox;
class QMenu;

// The document box's right-click menu: the box's own entries, with its cut, copy and paste
// running the window's clipboard commands, followed by whatever the program's areas add.
// A middle click pastes through the window's paste command too.
class DocumentContextMenu : public QObject {
    Q_OBJECT
public:
    // The menu of this box, set up on first use; `window` holds the clipboard commands
    // (the actions named clipcut, clipcopy and clippaste).
    static DocumentContextMenu* of(DocumentBox* box, QWidget* window);

    // `fill` runs each time the menu opens, after the box's own entries and after what was
    // added before, so it can show the state of that moment (checked entries and the like).
    using Filler = std::function<void(QMenu& menu)>;
    void addEntries(Filler fill);

    // The menu as a right-click at `globalPos` shows it; the caller owns it.
    QMenu* build(QPoint globalPos) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DocumentContextMenu(DocumentBox* box, QWidget* window);
    void triggerWindowCommand(const char* name) const;

    DocumentBox* m_box;
    QWidget* m_window;
    std::vector<Filler> m_fillers;
};
