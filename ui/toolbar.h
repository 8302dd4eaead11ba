#pragma once

#include <QList>
#include <QObject>

class HtmlE;
class PictureButton;
struct ToolbarButtonSpec;

// The two toolbar panels on the client area, built from the toolbar table. A click runs the
// menu item the row names, or pops up that item's own submenu, so a button and its menu
// item can never drift apart.
class Toolbar : public QObject {
    Q_OBJECT
public:
    explicit Toolbar(HtmlE& window);

    QList<PictureButton*> buttons() const { return m_buttons; }
    PictureButton* button(const QString& name) const;

    // ButtonChange: swaps the panels. Only visibility changes; enabled states stay.
    void switchPanel();

private:
    void click(const ToolbarButtonSpec& entry);
    void popUp(const ToolbarButtonSpec& entry);

    HtmlE& m_window;
    QList<PictureButton*> m_buttons;
};
