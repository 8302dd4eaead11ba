#include "ui/file_controler.h"

#include <QFileDialog>
#include <QFileInfo>

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

QString FileControler::askOpenFileName(QWidget* parent, const QString& documentPath)
{
    return ask(parent, DialogKind::Open, documentPath);
}

QString FileControler::askSaveFileName(QWidget* parent, const QString& documentPath)
{
    return ask(parent, DialogKind::Save, documentPath);
}

QString FileControler::startPath(DialogKind kind, const QString& documentPath) const
{
    if (kind == DialogKind::Save && !documentPath.isEmpty())
        return documentPath;
    if (!m_lastFileName.isEmpty()) {
        // A new document is not offered another file's name to write over: only its folder.
        if (kind == DialogKind::Save)
            return QFileInfo(m_lastFileName).absolutePath();
        return m_lastFileName;
    }
    if (!documentPath.isEmpty())
        return QFileInfo(documentPath).absolutePath();
    return QString();
}

QString FileControler::ask(QWidget* parent, DialogKind kind, const QString& documentPath)
{
    const QString start = startPath(kind, documentPath);
    QString name;
    if (dialogOverride()) {
        name = dialogOverride()(kind, start);
    } else if (kind == DialogKind::Open) {
        name = QFileDialog::getOpenFileName(parent, title(), start, filters());
    } else {
        name = QFileDialog::getSaveFileName(parent, title(), start, filters(), nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    }
    if (!name.isEmpty())
        m_lastFileName = name;
    return name;
}
