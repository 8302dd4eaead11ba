#include "ui/file_controler.h"

#include <QFileDialog>

namespace {
FileControler::DialogFn& dialogOverride()
{
    static FileControler::DialogFn fn;
    return fn;
}
}

QString FileControler::title()
{
    return QStringLiteral("ファイル操作");
}

QString FileControler::filters()
{
    return QStringLiteral("Html ファイル (*.htm *.html);;テキスト ファイル (*.txt);;その他 (*)");
}

void FileControler::setDialogForTesting(DialogFn fn)
{
    dialogOverride() = std::move(fn);
}

QString FileControler::askOpenFileName(QWidget* parent)
{
    return ask(parent, DialogKind::Open);
}

QString FileControler::askSaveFileName(QWidget* parent)
{
    return ask(parent, DialogKind::Save);
}

QString FileControler::ask(QWidget* parent, DialogKind kind)
{
    QString name;
    if (dialogOverride()) {
        name = dialogOverride()(kind, m_lastFileName);
    } else if (kind == DialogKind::Open) {
        name = QFileDialog::getOpenFileName(parent, title(), m_lastFileName, filters());
    } else {
        name = QFileDialog::getSaveFileName(parent, title(), m_lastFileName, filters(), nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    }
    if (!name.isEmpty())
        m_lastFileName = name;
    return name;
}
