#include "document/insertion_point.h"
#include "text/line_breaks.h"
#include "ui/command_surface_parts.h"
#include "ui/document_box.h"
#include "ui/menu_surface.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QWidget>

namespace {

// Other programs expect the platform's own line ends; inside, the document is CR LF.
QString toClipboardText(const QString& crlfText)
{
#ifdef Q_OS_WIN
    return crlfText;
#else
    return linebreak::withBreaks(crlfText, u"\n");
#endif
}

void putOnClipboard(const QString& crlfText)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    // Whatever was there goes, in every format, even when nothing is selected.
    clipboard->clear();
    clipboard->setText(toClipboardText(crlfText));
}

void clipcopy_Click(InsertionPoint& document)
{
    putOnClipboard(document.readSelection());
}

void clipcut_Click(InsertionPoint& document)
{
    putOnClipboard(document.readSelection());
    document.insert(QString());
}

void clippaste_Click(InsertionPoint& document)
{
    // No text (empty, or only a picture): the selection is deleted and nothing inserted.
    document.insert(DocumentBox::pastedText(QGuiApplication::clipboard()->mimeData()).value_or(QString()));
}

// F1 inserts a line break tag, whatever modifiers are held; the key still goes on to the
// box, which does nothing with it.
class F1Key : public QObject {
public:
    explicit F1Key(InsertionPoint& document) : QObject(&document), m_document(document) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            m_document.insert(QStringLiteral("<br>"));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    InsertionPoint& m_document;
};

}

void installClipboardCommands(MenuSurface& menus, InsertionPoint& document, QWidget* box)
{
    menus.onTriggered(QStringLiteral("clipcut"), [&document] { clipcut_Click(document); });
    menus.onTriggered(QStringLiteral("clipcopy"), [&document] { clipcopy_Click(document); });
    menus.onTriggered(QStringLiteral("clippaste"), [&document] { clippaste_Click(document); });
    box->installEventFilter(new F1Key(document));
}
