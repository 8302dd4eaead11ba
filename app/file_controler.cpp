#include "app/file_controler.h"

#include <QFileDialog>

QString FileControler::title()
{
    return QStringLiteral("ファイル操作");
}

QString FileControler::filters()
{
    return QStringLiteral("Html ファイル (*.htm *.html);;テキスト ファイル (*.txt);;その他 (*)");
}

QString FileControler::askOpenFileName(QWidget* parent)
{
    const QString name = QFileDialog::getOpenFileName(parent, title(), m_lastFileName, filters());
    if (!name.isEmpty())
        m_lastFileName = name;
    return name;
}

QString FileControler::askSaveFileName(QWidget* parent)
{
    // Qt's save dialog always asks before replacing an existing file.
    const QString name = QFileDialog::getSaveFileName(parent, title(), m_lastFileName, filters());
    if (!name.isEmpty())
        m_lastFileName = name;
    return name;
}
