#pragma once

#include <QList>
#include <QObject>

#include <functional>

class InsertionPoint;
class MenuSurface;
class PictureButton;
class QWidget;
struct ToolbarButtonSpec;

// The two toolbar panels on the client area, built from the toolbar table. A click runs the
// menu item the row names, or pops up that item's own submenu, and a button is enabled
// exactly while that item is, so a button and its menu item can never drift apart.
class Toolbar : public QObject {
    Q_OBJECT
public:
    // `companionHoldsFocus` tells whether the companion's window keeps the focus it was given.
    Toolbar(QWidget* clientArea, MenuSurface& menus, InsertionPoint& document,
            std::function<bool()> companionHoldsFocus);

    QList<PictureButton*> buttons() const { return m_buttons; }
    PictureButton* button(const QString& name) const;

    // ButtonChange: swaps the panels. Only visibility changes; enabled states stay.
    void switchPanel();
    // 1: the general panel shows, 2: the HTML tag panel; 0 before start-up chose one.
    qint16 PanelMode = 0;

private:
    void click(const ToolbarButtonSpec& entry);
    void popUp(const ToolbarButtonSpec& entry);
    void followEnabledState(PictureButton* button, const ToolbarButtonSpec& entry);

    MenuSurface& m_menus;
    InsertionPoint& m_document;
    std::function<bool()> m_companionHoldsFocus;
    QList<PictureButton*> m_buttons;
};
