#include "app/document_box.h"
#include "app/main_window.h"
#include "ui/command_surface_parts.h"
#include "ui/menu_surface.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>

namespace {

// Other programs expect the platform's own line ends; inside, the document is CR LF.
QString toClipboardText(const QString& crlfText)
{
#ifdef Q_OS_WIN
    return crlfText;
#else
    QString text = crlfText;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
#endif
}

void putOnClipboard(const QString& crlfText)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    // Whatever was there goes, in every format, even when nothing is selected.
    clipboard->clear();
    clipboard->setText(toClipboardText(crlfText));
}

void clipcopy_Click(HtmlE& window)
{
    putOnClipboard(window.readSelection());
}

void clipcut_Click(HtmlE& window)
{
    putOnClipboard(window.readSelection());
    window.replaceSelection(QString());
}

void clippaste_Click(HtmlE& window)
{
    // No text (empty, or only a picture): the selection is deleted and nothing inserted.
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const QString text = data && data->hasText() ? data->text() : QString();
    window.replaceSelection(text);
}

// F1 inserts a line break tag, whatever modifiers are held; the key still goes on to the
// box, which does nothing with it.
class F1Key : public QObject {
public:
    F1Key(HtmlE& window) : QObject(&window), m_window(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            m_window.state().TagRam = QStringLiteral("<br>");
            m_window.replaceSelection(m_window.state().TagRam);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    HtmlE& m_window;
};

}

void installClipboardCommands(HtmlE& window)
{
    MenuSurface& menus = window.menus();
    menus.onTriggered(QStringLiteral("clipcut"), [&window] { clipcut_Click(window); });
    menus.onTriggered(QStringLiteral("clipcopy"), [&window] { clipcopy_Click(window); });
    menus.onTriggered(QStringLiteral("clippaste"), [&window] { clippaste_Click(window); });
    window.editwindow()->installEventFilter(new F1Key(window));
}
