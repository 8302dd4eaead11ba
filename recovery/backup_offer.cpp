#include "recovery/backup_offer.h"

#include "document/document.h"
#include "text/document_codec.h"
#include "text/file_read.h"
#include "text/save_backups.h"
#include "ui/busy_pointer.h"
#include "ui/message_box.h"

#include <QFile>
#include <QFileInfo>
#include <QWidget>

namespace {
const QString kTitle = QStringLiteral("vornik!");
const QString kRestoreBackup = QStringLiteral(
    "%1 の保存が途中で終わっています（%2）。\r保存する前の内容が次のファイルに残っています。\r%3"
    "\r保存する前の内容を復元しますか？（いいえ: 残っている保存前の内容を削除します）");
}

bool offerLeftBackups(Document& document, QWidget& view, QWidget& window)
{
    const QString path = document.FilePath();
    const QStringList backups = leftBackups(path);
    if (backups.isEmpty())
        return false;
    FileRead page(ReadFailure::Missing);
    {
        BusyPointer busy;
        page = readWholeFile(path);
    }
    for (auto backup = backups.crbegin(); backup != backups.crend(); ++backup) {
        FileRead old = readWholeFile(*backup);
        if (!old)
            continue;
        if (page && *old == *page) {
            QFile::remove(*backup);
            continue;
        }
        const QString when = QFileInfo(*backup).lastModified().toString(QStringLiteral("yyyy/MM/dd HH:mm"));
        if (!askYesNo(&window, kTitle, kRestoreBackup.arg(path, when, *backup), MessageIcon::Information, true)) {
            QFile::remove(*backup);
            continue;
        }
        LoadedDocument restored;
        {
            BusyPointer busy;
            restored = decodeDocument(old.take(), document.encoding());
            document.model().replaceWholePage(restored.text);
        }
        view.setFocus();
        return true; // older backups wait for the next opening
    }
    return false;
}
