#include "app/changed_on_disk.h"

#include "document/disk_stamp.h"
#include "document/document.h"
#include "ui/message_box.h"

namespace {
const QString kChangedQuestion = QStringLiteral("%1 はこのエディタで読み込んだ後に変更されています。\r上書きしてよろしいですか？");
}

bool mayOverwriteChangedFile(QWidget& window, const Document& document)
{
    if (!changedOnDisk(document.diskStamp(), document.FilePath()))
        return true;
    return askYesNo(&window, QStringLiteral("HtmlE"), kChangedQuestion.arg(document.FilePath()),
                    MessageIcon::Exclamation, false);
}
