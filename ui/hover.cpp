#include "ui/document_box.h"
#include "ui/command_surface_parts.h"
#include "ui/picture_button.h"
#include "ui/toolbar.h"
#include "ui/toolbar_table.h"

#include <QHash>
#include <QMouseEvent>
#include <QScrollBar>

namespace {

const QString kNoDescription = QStringLiteral(" ");

// Watches mouse moves over the buttons, the document box and the bare client area. The title
// is rebuilt only when the description changes, so moving within one button costs nothing.
class HoverWatch : public QObject {
public:
    HoverWatch(QWidget* clientArea, std::function<void(const QString&)> describe)
        : QObject(clientArea), m_clientArea(clientArea), m_describe(std::move(describe))
    {
    }

    void watch(QWidget* widget, const QString& description)
    {
        m_descriptions.insert(widget, description);
        widget->setMouseTracking(true);
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseMove)
            moved(static_cast<QWidget*>(watched), static_cast<QMouseEvent*>(event));
        return QObject::eventFilter(watched, event);
    }

private:
    void moved(QWidget* widget, QMouseEvent* event)
    {
        if (widget == m_clientArea) {
            // A move the client area sees over one of its children came up from that child,
            // which has already had its say.
            if (widget->childAt(event->position().toPoint()))
                return;
            describe(kNoDescription);
            return;
        }
        // A disabled button counts as bare window.
        describe(widget->isEnabled() ? m_descriptions.value(widget) : kNoDescription);
    }

    void describe(const QString& description)
    {
        m_describe(description);
    }

    QWidget* m_clientArea;
    std::function<void(const QString&)> m_describe;
    QHash<QWidget*, QString> m_descriptions;
};

}

void installHoverDescriptions(QWidget* clientArea, const Toolbar& toolbar, DocumentBox* box,
                              std::function<void(const QString&)> describe)
{
    auto* watch = new HoverWatch(clientArea, std::move(describe));
    for (PictureButton* button : toolbar.buttons()) {
        const ToolbarButtonSpec* entry = findToolbarButton(button->objectName());
        watch->watch(button, hoverText(*entry));
    }
    watch->watch(box, kNoDescription);
    watch->watch(box->viewport(), kNoDescription);
    // The scroll bars are the document box too, though the toolkit gives them widgets of
    // their own.
    watch->watch(box->horizontalScrollBar(), kNoDescription);
    watch->watch(box->verticalScrollBar(), kNoDescription);
    watch->watch(clientArea, kNoDescription);
}
