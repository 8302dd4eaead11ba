#include "ui/side_window.h"

#include <QCloseEvent>

SideWindow::SideWindow(InsertionPoint& target, const QString& name, const QString& title, QSize size)
    : QWidget(nullptr), m_target(&target)
{
    setObjectName(name);
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    // A fixed single border: no maximise box, no resizing.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(size);
    connect(&target, &QObject::destroyed, this, [this] { delete this; });
}

void SideWindow::insert(const QString& crlfText)
{
    if (m_target)
        m_target->insert(crlfText);
}

void SideWindow::closeEvent(QCloseEvent* event)
{
    if (m_target)
        m_target->activateDocument();
    QWidget::closeEvent(event);
}
