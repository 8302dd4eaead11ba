#include "recovery/recovery_list.h"

#include "ui/message_box.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QString kTitle = QStringLiteral("vornik!");
const QString kListTitle = QStringLiteral("保存していない変更");
const QString kListIntro = QStringLiteral("次のファイルには、保存していない変更が残っています。\n"
                                          "開くと、名前のない新しい文書として表示します。");
const QString kDamaged = QStringLiteral("保存していない変更の控えが壊れていて、読み込めませんでした。"
                                        "\r控えは次の場所に残してあります。\r%1");

QTreeWidgetItem* rowFor(const OrphanCopy& copy)
{
    const QFileInfo file(copy.header.filePath);
    const QString when = copy.header.written.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm"));
    return new QTreeWidgetItem(QStringList{file.fileName(), file.absolutePath(), when});
}
}

std::optional<size_t> chooseLeftBehindCopy(QWidget& window, std::vector<OrphanCopy>& copies)
{
    QDialog dialog(&window);
    dialog.setObjectName(QStringLiteral("recoveryList"));
    dialog.setWindowTitle(kListTitle);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(kListIntro, &dialog));
    auto* list = new QTreeWidget(&dialog);
    list->setObjectName(QStringLiteral("copies"));
    list->setRootIsDecorated(false);
    list->setHeaderLabels({QStringLiteral("名前"), QStringLiteral("フォルダー"), QStringLiteral("日時")});
    for (const OrphanCopy& copy : copies)
        list->addTopLevelItem(rowFor(copy));
    list->setCurrentItem(list->topLevelItem(0));
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* open = buttons->addButton(QStringLiteral("開く(&O)"), QDialogButtonBox::AcceptRole);
    QPushButton* remove = buttons->addButton(QStringLiteral("削除(&D)"), QDialogButtonBox::ActionRole);
    buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
    open->setObjectName(QStringLiteral("open"));
    remove->setObjectName(QStringLiteral("delete"));
    open->setDefault(true);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QTreeWidget::itemActivated, &dialog, &QDialog::accept);
    QObject::connect(remove, &QPushButton::clicked, &dialog, [&] {
        const int row = list->indexOfTopLevelItem(list->currentItem());
        if (row < 0)
            return;
        OrphanCopy gone = std::move(copies[size_t(row)]);
        copies.erase(copies.begin() + row);
        removeRecoveryCopy(gone.copyPath, std::move(gone.lock));
        delete list->takeTopLevelItem(row);
        if (copies.empty())
            dialog.reject();
    });
    dialog.resize(560, 260);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const int row = list->indexOfTopLevelItem(list->currentItem());
    return row < 0 ? std::nullopt : std::optional<size_t>(size_t(row));
}

void tellDamagedCopies(QWidget& window, const QStringList& keptAt)
{
    if (!keptAt.isEmpty())
        tellUser(&window, kTitle, kDamaged.arg(keptAt.join(u'\r')), MessageIcon::Exclamation);
}
