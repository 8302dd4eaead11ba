#include "ui/box_insertion_point.h"

#include "ui/document_box.h"

BoxInsertionPoint::BoxInsertionPoint(DocumentBox* box, QWidget* window)
    : InsertionPoint(window), m_box(box), m_window(window)
{
    setObjectName(QStringLiteral("insertionPoint"));
}

QString BoxInsertionPoint::readSelection() const
{
    return m_box ? m_box->readSelection() : QString();
}

void BoxInsertionPoint::insert(const QString& crlfText)
{
    m_TagRam = crlfText;
    if (m_box)
        m_box->replaceSelection(crlfText);
}

void BoxInsertionPoint::focusDocument()
{
    if (m_box)
        m_box->setFocus();
}

void BoxInsertionPoint::activateDocument()
{
    if (m_window)
        m_window->activateWindow();
    focusDocument();
}

void BoxInsertionPoint::raiseWindow()
{
    if (!m_window)
        return;
    if (m_window->isMinimized())
        m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->raise();
    m_window->activateWindow();
}
