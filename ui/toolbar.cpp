#include "ui/toolbar.h"

#include "app/document_box.h"
#include "app/main_window.h"
#include "ui/menu_surface.h"
#include "ui/picture_button.h"
#include "ui/toolbar_table.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

namespace {
QColor faceColour(ButtonFace face)
{
    switch (face) {
    case ButtonFace::Grey: return QColor(192, 192, 192);
    case ButtonFace::Black: return Qt::black;
    case ButtonFace::White: return Qt::white;
    case ButtonFace::Yellow: return QColor(255, 255, 0);
    case ButtonFace::Red: return QColor(255, 0, 0);
    case ButtonFace::Blue: return QColor(0, 0, 255);
    case ButtonFace::Cyan: return QColor(0, 255, 255);
    case ButtonFace::System: break;
    }
    return {};
}
}

Toolbar::Toolbar(HtmlE& window) : QObject(&window), m_window(window)
{
    setObjectName(QStringLiteral("toolbar"));
    QWidget* client = window.clientArea();
    for (const ToolbarButtonSpec& entry : toolbarButtons()) {
        auto* b = new PictureButton(client);
        b->setObjectName(QString::fromLatin1(entry.name));
        b->setGeometry(pixelRect(entry));
        b->setToolTip(QString::fromUtf8(entry.tooltip));
        // A screen reader says what the picture cannot.
        b->setAccessibleName(b->toolTip());
        if (*entry.picture)
            b->setPicture(QStringLiteral(":/icons/") + QString::fromLatin1(entry.picture));
        b->setText(QString::fromUtf8(entry.caption));
        if (entry.face != ButtonFace::System)
            b->setFaceColour(faceColour(entry.face));
        b->setEnabled(entry.enabled);
        // The general panel shows at start.
        b->setVisible(entry.panel != ToolbarPanel::Tags);
        connect(b, &QAbstractButton::clicked, this, [this, &entry] { click(entry); });
        m_buttons.append(b);
    }
}

PictureButton* Toolbar::button(const QString& name) const
{
    for (PictureButton* b : m_buttons) {
        if (b->objectName() == name)
            return b;
    }
    return nullptr;
}

void Toolbar::switchPanel()
{
    WindowState& state = m_window.state();
    const bool toTags = state.PanelMode == 1;
    for (const ToolbarButtonSpec& entry : toolbarButtons()) {
        if (entry.panel == ToolbarPanel::Both)
            continue;
        button(QString::fromLatin1(entry.name))->setVisible((entry.panel == ToolbarPanel::Tags) == toTags);
    }
    m_window.editwindow()->setFocus();
    state.PanelMode = toTags ? 2 : 1;
}

void Toolbar::popUp(const ToolbarButtonSpec& entry)
{
    // The very menu of the menu bar, so captions, enabled states and commands are its own;
    // exec returns once it closes, after a chosen item's command has run.
    if (QMenu* menu = m_window.menus().menu(QString::fromLatin1(entry.target)))
        menu->exec(QCursor::pos());
}

void Toolbar::click(const ToolbarButtonSpec& entry)
{
    switch (entry.click) {
    case ButtonClick::PanelSwitch:
        switchPanel();
        return;
    case ButtonClick::Popup:
        popUp(entry);
        break;
    case ButtonClick::Forward:
        if (QAction* a = m_window.menus().action(QString::fromLatin1(entry.target)))
            a->trigger();
        break;
    }
    switch (entry.focus) {
    case FocusAfter::EditWindow:
        m_window.editwindow()->setFocus();
        break;
    case FocusAfter::UnlessCompanionRuns:
        // A companion started from the menu keeps the focus it was given.
        if (programState().UserExeRunning != 1)
            m_window.editwindow()->setFocus();
        break;
    case FocusAfter::Unchanged:
        break;
    }
}
