#include "ui/toolbar.h"

#include "document/insertion_point.h"
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

Toolbar::Toolbar(QWidget* clientArea, MenuSurface& menus, InsertionPoint& document,
                 std::function<bool()> companionHoldsFocus)
    : QObject(clientArea), m_menus(menus), m_document(document),
      m_companionHoldsFocus(std::move(companionHoldsFocus))
{
    setObjectName(QStringLiteral("toolbar"));
    QWidget* client = clientArea;
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
        followEnabledState(b, entry);
        // The general panel shows at start.
        b->setVisible(entry.panel != ToolbarPanel::Tags);
        connect(b, &QAbstractButton::clicked, this, [this, &entry] { click(entry); });
        m_buttons.append(b);
    }
}

void Toolbar::followEnabledState(PictureButton* button, const ToolbarButtonSpec& entry)
{
    if (entry.click == ButtonClick::PanelSwitch)
        return;
    QAction* item = m_menus.action(QString::fromLatin1(entry.target));
    if (!item)
        qFatal("toolbar button %s names no menu item %s", entry.name, entry.target);
    button->setEnabled(item->isEnabled());
    connect(item, &QAction::changed, button, [button, item] { button->setEnabled(item->isEnabled()); });
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
    const bool toTags = PanelMode == 1;
    for (const ToolbarButtonSpec& entry : toolbarButtons()) {
        if (entry.panel == ToolbarPanel::Both)
            continue;
        button(QString::fromLatin1(entry.name))->setVisible((entry.panel == ToolbarPanel::Tags) == toTags);
    }
    m_document.focusDocument();
    PanelMode = toTags ? 2 : 1;
}

void Toolbar::popUp(const ToolbarButtonSpec& entry)
{
    // The very menu of the menu bar, so captions, enabled states and commands are its own;
    // exec returns once it closes, after a chosen item's command has run.
    if (QMenu* menu = m_menus.menu(QString::fromLatin1(entry.target)))
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
        if (QAction* a = m_menus.action(QString::fromLatin1(entry.target)))
            a->trigger();
        break;
    }
    switch (entry.focus) {
    case FocusAfter::EditWindow:
        m_document.focusDocument();
        break;
    case FocusAfter::UnlessCompanionRuns:
        // A companion started from the menu keeps the focus it was given.
        if (!m_companionHoldsFocus || !m_companionHoldsFocus())
            m_document.focusDocument();
        break;
    case FocusAfter::Unchanged:
        break;
    }
}
