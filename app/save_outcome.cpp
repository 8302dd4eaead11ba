#include "app/save_outcome.h"

#include "ui/message_box.h"

#include <QStringList>

#include <sys/stat.h>

namespace {
const QString kTitle = QStringLiteral("HtmlE");
const QString kWriteFailed = QStringLiteral("書き込みに失敗しました。");
const QString kDamaged = QStringLiteral(
    "\r%1 は途中まで新しい内容で書き換わっている可能性があります。"
    "\r保存する前の内容は次のファイルに残してあります。\r%2"
    "\rこのファイルを次に開くと、保存前の内容に戻すかどうかを尋ねます。");
const QString kNotDurable = QStringLiteral(
    "%1 を保存しましたが、ディスクへの書き込みを最後まで確かめられませんでした。"
    "\r停電などが起きると、保存する前の内容に戻ることがあります。");
const QString kModeBitsLost = QStringLiteral(
    "%1 を保存しましたが、%2 のビットを保てませんでした（ファイルの所有者でないと付け直せません）。"
    "\r必要なら、所有者が付け直してください。");

void tellLostModeBits(QWidget& window, const QString& path, unsigned lost)
{
    QStringList bits;
    if (lost & S_ISUID)
        bits << QStringLiteral("set-user-ID");
    if (lost & S_ISGID)
        bits << QStringLiteral("set-group-ID");
    if (!bits.isEmpty())
        tellUser(&window, kTitle, kModeBitsLost.arg(path, bits.join(QStringLiteral(" と "))), MessageIcon::Exclamation);
}
}

bool tellSaveOutcome(QWidget& window, const QString& path, const WriteOutcome& outcome)
{
    using Result = WriteOutcome::Result;
    switch (outcome.result) {
    case Result::Written:
        tellLostModeBits(window, path, outcome.lostModeBits);
        return true;
    case Result::NotDurable:
        tellUser(&window, kTitle, kNotDurable.arg(path), MessageIcon::Exclamation);
        tellLostModeBits(window, path, outcome.lostModeBits);
        return true;
    case Result::Failed:
        tellUser(&window, kTitle, kWriteFailed, MessageIcon::Exclamation);
        return false;
    case Result::Damaged:
        tellUser(&window, kTitle, kWriteFailed + kDamaged.arg(path, outcome.backup), MessageIcon::Exclamation);
        return false;
    }
    return false;
}
