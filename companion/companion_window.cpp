#include "companion/companion_window.h"

#include "platform/optional_files.h"
#include "text/file_read.h"
#include "text/file_write.h"
#include "ui/busy_pointer.h"
#include "ui/message_box.h"
#include "usertags/endpoint_client.h"
#include "usertags/profile_reader.h"
#include "usertags/profile_writer.h"
#include "usertags/tag_merge.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
const QString kTitle = QStringLiteral("タグ追加");
const QString kStoreName = QStringLiteral("tag.ini");

QString setCaption(int set, const QString& title)
{
    return QStringLiteral("%1: %2").arg(set + 1).arg(title);
}

QString entryCaption(int item, const QString& description)
{
    return QStringLiteral("%1. %2").arg(item + 1).arg(description);
}

}

CompanionWindow::CompanionWindow(QWidget* parent) : QWidget(parent)
{
    build();
}

CompanionWindow::CompanionWindow(const QString& storePath, QWidget* parent)
    : QWidget(parent), m_fixedPath(storePath)
{
    build();
}

void CompanionWindow::build()
{
    setObjectName(QStringLiteral("companion"));
    setWindowTitle(kTitle);

    m_setList = new QComboBox(this);
    m_setList->setObjectName(QStringLiteral("setList"));
    m_title = new QLineEdit(this);
    m_title->setObjectName(QStringLiteral("titleEdit"));
    m_titleBytes = new QLabel(this);
    m_titleBytes->setObjectName(QStringLiteral("titleBytes"));
    m_entries = new QListWidget(this);
    m_entries->setObjectName(QStringLiteral("entryList"));
    m_description = new QLineEdit(this);
    m_description->setObjectName(QStringLiteral("descriptionEdit"));
    m_descriptionBytes = new QLabel(this);
    m_descriptionBytes->setObjectName(QStringLiteral("descriptionBytes"));
    m_tag = new QLineEdit(this);
    m_tag->setObjectName(QStringLiteral("tagEdit"));
    m_tagBytes = new QLabel(this);
    m_tagBytes->setObjectName(QStringLiteral("tagBytes"));
    m_fileInfo = new QLabel(this);
    m_fileInfo->setObjectName(QStringLiteral("fileInfo"));
    m_fileInfo->setWordWrap(true);

    auto* send = new QPushButton(QStringLiteral("エディタに挿入(&I)"), this);
    send->setObjectName(QStringLiteral("sendButton"));
    send->setToolTip(QStringLiteral("このタグを vornikedit の選択範囲に入れます"));
    auto* saveButton = new QPushButton(QStringLiteral("保存(&S)"), this);
    saveButton->setObjectName(QStringLiteral("saveButton"));
    saveButton->setShortcut(QKeySequence::Save);
    auto* closeButton = new QPushButton(QStringLiteral("閉じる(&C)"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));

    auto* form = new QGridLayout;
    auto* setLabel = new QLabel(QStringLiteral("セット(&E):"), this);
    setLabel->setBuddy(m_setList);
    form->addWidget(setLabel, 0, 0);
    form->addWidget(m_setList, 0, 1, 1, 2);
    auto* titleLabel = new QLabel(QStringLiteral("タイトル(&T):"), this);
    titleLabel->setBuddy(m_title);
    form->addWidget(titleLabel, 1, 0);
    form->addWidget(m_title, 1, 1);
    form->addWidget(m_titleBytes, 1, 2);
    form->addWidget(m_entries, 2, 0, 1, 3);
    auto* descriptionLabel = new QLabel(QStringLiteral("説明(&D):"), this);
    descriptionLabel->setBuddy(m_description);
    form->addWidget(descriptionLabel, 3, 0);
    form->addWidget(m_description, 3, 1);
    form->addWidget(m_descriptionBytes, 3, 2);
    auto* tagLabel = new QLabel(QStringLiteral("タグ(&G):"), this);
    tagLabel->setBuddy(m_tag);
    form->addWidget(tagLabel, 4, 0);
    form->addWidget(m_tag, 4, 1);
    form->addWidget(m_tagBytes, 4, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(send);
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_fileInfo);
    layout->addLayout(buttons);
    resize(420, 420);

    connect(m_setList, &QComboBox::currentIndexChanged, this, [this](int set) {
        if (!m_updating && set >= 0)
            showSet(set);
    });
    connect(m_entries, &QListWidget::currentRowChanged, this, [this](int item) {
        if (!m_updating && item >= 0)
            showEntry(item);
    });
    connect(m_title, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_values.UserTagTitles[m_set] = text;
        m_updating = true;
        m_setList->setItemText(m_set, setCaption(m_set, text));
        m_updating = false;
        markDirty();
    });
    connect(m_description, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_values.descriptions[currentEntry()] = text;
        refreshListCaptions();
        markDirty();
    });
    connect(m_tag, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_values.UserTagTable[currentEntry()] = text;
        markDirty();
    });
    connect(send, &QPushButton::clicked, this, &CompanionWindow::sendCurrentTag);
    connect(saveButton, &QPushButton::clicked, this, &CompanionWindow::save);
    connect(closeButton, &QPushButton::clicked, this, &CompanionWindow::close);
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this, &CompanionWindow::close);

    load();
}

QString CompanionWindow::readPath() const
{
    return m_fixedPath.isEmpty() ? optionalFilePath(kStoreName) : m_fixedPath;
}

QString CompanionWindow::writePath() const
{
    return m_fixedPath.isEmpty() ? writableFilePath(kStoreName) : m_fixedPath;
}

void CompanionWindow::load()
{
    const QString path = readPath();
    loaded(path, Profile::fromBytes(readWholeFile(path, ReadCap::firstBytes(Profile::kMaxFileBytes)).take()));
}

// Shows what the file holds, at the set and entry shown before.
void CompanionWindow::loaded(const QString& path, const Profile& profile)
{
    m_path = path;
    m_loaded = readUserTagStore(profile);
    m_values = m_loaded;
    m_encoding = profile.encoding();
    m_dirty = false;
    const int item = m_item;
    m_updating = true;
    m_setList->clear();
    for (int k = 0; k < usertags::kSets; ++k)
        m_setList->addItem(setCaption(k, m_values.UserTagTitles[k]));
    m_updating = false;
    m_fileInfo->setText(profile.canWriteBack()
                            ? QStringLiteral("%1 (%2)").arg(m_path, profileEncodingName(m_encoding))
                            : QStringLiteral("%1 (文字コードを確かめられないため、保存できません)").arg(m_path));
    showSet(m_set);
    showEntry(item);
}

void CompanionWindow::showSet(int set)
{
    m_set = qBound(0, set, usertags::kSets - 1);
    m_updating = true;
    m_setList->setCurrentIndex(m_set);
    m_title->setText(m_values.UserTagTitles[m_set]);
    m_entries->clear();
    for (int i = 0; i < 10; ++i)
        m_entries->addItem(entryCaption(i, m_values.descriptions[m_set * 10 + i]));
    m_updating = false;
    showEntry(0);
}

void CompanionWindow::showEntry(int item)
{
    m_item = qBound(0, item, 9);
    m_updating = true;
    m_entries->setCurrentRow(m_item);
    m_description->setText(m_values.descriptions[currentEntry()]);
    m_tag->setText(m_values.UserTagTable[currentEntry()]);
    m_updating = false;
    refreshCounts();
}

void CompanionWindow::selectEntry(int entry)
{
    entry = qBound(0, entry, usertags::kEntries - 1);
    showSet(entry / 10);
    showEntry(entry % 10);
}

void CompanionWindow::refreshListCaptions()
{
    if (QListWidgetItem* row = m_entries->item(m_item))
        row->setText(entryCaption(m_item, m_values.descriptions[currentEntry()]));
}

void CompanionWindow::markDirty()
{
    m_dirty = true;
    refreshCounts();
}

void CompanionWindow::showCount(QLabel* label, const QString& value)
{
    const qsizetype bytes = valueByteCount(value, m_encoding);
    const std::optional<QString> problem = valueProblem(value, m_encoding);
    label->setText(QStringLiteral("%1 / %2 バイト").arg(bytes).arg(Profile::kMaxValueBytes));
    label->setToolTip(problem.value_or(QString()));
    label->setStyleSheet(problem ? QStringLiteral("color: #c00000; font-weight: bold;") : QString());
}

void CompanionWindow::refreshCounts()
{
    showCount(m_titleBytes, m_title->text());
    showCount(m_descriptionBytes, m_description->text());
    showCount(m_tagBytes, m_tag->text());
}

bool CompanionWindow::save()
{
    BusyPointer busy;
    // The file as it is now: another companion or program may have saved meanwhile. An
    // installed copy's first save starts from the installed file and goes to the user's own.
    const QString from = readPath();
    FileRead read = readWholeFile(from, ReadCap::refuseOver(Profile::kMaxFileBytes));
    if (!read && read.failure() != ReadFailure::Missing) {
        tellUser(this, kTitle, QStringLiteral("%1 を読めないため、保存できません。").arg(from),
                 MessageIcon::Exclamation);
        return false;
    }
    const Profile current = Profile::fromBytes(read.take());
    if (!current.canWriteBack()) {
        tellUser(this, kTitle,
                 QStringLiteral("%1 は文字コードを確かめられないため、保存できません。\r"
                                "(NUL 文字を含むか、UTF-16 として正しくないファイルです。)")
                     .arg(from),
                 MessageIcon::Exclamation);
        return false;
    }
    const UserTagStore theirs = readUserTagStore(current);
    const std::optional<QList<int>> fields = settleConflicts(theirs);
    if (!fields)
        return false;

    ProfileValues values;
    for (int field : *fields) {
        const QString& value = usertags::fieldValue(m_values, field);
        if (const std::optional<QString> problem = valueProblem(value, current.encoding())) {
            selectEntry(usertags::fieldEntry(field));
            tellUser(this, kTitle, QStringLiteral("%1は保存できません。\r%2").arg(usertags::fieldName(field), *problem),
                     MessageIcon::Exclamation);
            return false;
        }
        values.append({usertags::fieldKey(field), value});
    }

    // From here on the window shows the file, others' changes included.
    if (values.isEmpty()) {
        loaded(from, current);
        return true;
    }
    const QString to = writePath();
    const QByteArray bytes = profileFileWithValues(current, usertags::kSection, values);
    if (!writeWholeFile(to, bytes)) {
        tellUser(this, kTitle, QStringLiteral("書き込みに失敗しました。"), MessageIcon::Exclamation);
        return false;
    }
    loaded(to, Profile::fromBytes(bytes));
    return true;
}

std::optional<QList<int>> CompanionWindow::settleConflicts(const UserTagStore& theirs)
{
    const TagMerge merge = mergeUserTags(m_loaded, m_values, theirs);
    if (merge.conflicts.isEmpty())
        return merge.changed;

    auto shown = [](const QString& value) {
        return value.size() > 40 ? value.first(40) + QStringLiteral("…") : value;
    };
    QString list;
    for (qsizetype i = 0; i < merge.conflicts.size() && i < 10; ++i) {
        const int field = merge.conflicts[i];
        list += QStringLiteral("・%1\r　こちら「%2」／保存済み「%3」\r")
                    .arg(usertags::fieldName(field), shown(usertags::fieldValue(m_values, field)),
                         shown(usertags::fieldValue(theirs, field)));
    }
    if (merge.conflicts.size() > 10)
        list += QStringLiteral("ほか %1 項目\r").arg(merge.conflicts.size() - 10);

    QMessageBox box(QMessageBox::Question, kTitle,
                    displayLines(QStringLiteral("次の項目は、ここで変えたあとに、ほかでも変えて保存されています。\r%1"
                                                "どちらの値を残しますか？")
                                     .arg(list)),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("こちらの値(&M)"));
    box.button(QMessageBox::No)->setText(QStringLiteral("保存済みの値(&K)"));
    box.setDefaultButton(QMessageBox::Cancel);
    const int answer = box.exec();
    if (answer == QMessageBox::Yes)
        return merge.changed + merge.conflicts;
    if (answer == QMessageBox::No)
        return merge.changed;
    return std::nullopt;
}

bool CompanionWindow::sendCurrentTag()
{
    SendResult result;
    {
        BusyPointer busy;
        result = sendToEditor(m_values.UserTagTable[currentEntry()], true, 2000);
    }
    if (result.status != SendResult::Sent) {
        tellUser(this, kTitle, result.message, MessageIcon::Exclamation);
        return false;
    }
    return true;
}

void CompanionWindow::closeEvent(QCloseEvent* event)
{
    if (!m_dirty) {
        event->accept();
        return;
    }
    const auto answer = QMessageBox::question(this, kTitle, QStringLiteral("変更を保存しますか？"),
                                              QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                              QMessageBox::Save);
    if (answer == QMessageBox::Cancel || (answer == QMessageBox::Save && !save())) {
        event->ignore();
        return;
    }
    event->accept();
}
