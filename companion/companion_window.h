#pragma once

#include "text/text_encoding.h"
#include "usertags/user_tag_store.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The companion tag editor: edits the ten set titles and the hundred descriptions and tag
// texts of tag.ini and saves them into the section "tag set", leaving everything else in
// the file as it was. Its window title is what the editor watches for.
class CompanionWindow : public QWidget {
    Q_OBJECT
public:
    explicit CompanionWindow(const QString& storePath, QWidget* parent = nullptr);

    // Writes every value into the file; false (after telling the user why) when a value
    // cannot be stored or the file cannot be written.
    bool save();
    // Hands the current entry's tag text to the running editor.
    bool sendCurrentTag();

    bool hasUnsavedChanges() const { return m_dirty; }
    int currentSet() const { return m_set; }
    int currentEntry() const { return m_set * 10 + m_item; }
    void selectEntry(int entry);
    const UserTagStore& values() const { return m_values; }
    TextEncoding encoding() const { return m_encoding; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void load();
    void showSet(int set);
    void showEntry(int item);
    void refreshCounts();
    void refreshListCaptions();
    void markDirty();
    void showCount(QLabel* label, const QString& value);

    QString m_path;
    UserTagStore m_values;
    TextEncoding m_encoding = TextEncoding::Utf8;
    bool m_dirty = false;
    bool m_updating = false;
    int m_set = 0;
    int m_item = 0;

    QComboBox* m_setList = nullptr;
    QLineEdit* m_title = nullptr;
    QLabel* m_titleBytes = nullptr;
    QListWidget* m_entries = nullptr;
    QLineEdit* m_description = nullptr;
    QLabel* m_descriptionBytes = nullptr;
    QLineEdit* m_tag = nullptr;
    QLabel* m_tagBytes = nullptr;
    QLabel* m_fileInfo = nullptr;
};
