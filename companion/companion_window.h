#pragma once

#include "usertags/profile_encoding.h"
#include "usertags/user_tag_store.h"

#include <QWidget>

#include <optional>

class Profile;
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
    // The program's own tag.ini: the user's copy when there is one, else the program
    // folder's; saved into the user's copy when the program folder cannot be written.
    explicit CompanionWindow(QWidget* parent = nullptr);
    // That one file, read and written.
    explicit CompanionWindow(const QString& storePath, QWidget* parent = nullptr);

    // Writes the values changed here into the file as it is now, so what others saved
    // meanwhile stays; asks where a value changed on both sides. False (after telling the
    // user why) when a value cannot be stored, the file cannot be written or the user
    // cancelled.
    bool save();
    // Hands the current entry's tag text to the running editor.
    bool sendCurrentTag();

    bool hasUnsavedChanges() const { return m_dirty; }
    int currentSet() const { return m_set; }
    int currentEntry() const { return m_set * 10 + m_item; }
    void selectEntry(int entry);
    const UserTagStore& values() const { return m_values; }
    ProfileEncoding encoding() const { return m_encoding; }
    QString storePath() const { return m_path; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    void load();
    void loaded(const QString& path, const Profile& profile);
    QString readPath() const;
    QString writePath() const;
    // Which fields to write at save after asking about those changed on both sides;
    // nothing when the user cancelled.
    std::optional<QList<int>> settleConflicts(const UserTagStore& theirs);
    void showSet(int set);
    void showEntry(int item);
    void refreshCounts();
    void refreshListCaptions();
    void markDirty();
    void showCount(QLabel* label, const QString& value);

    QString m_fixedPath; // empty: the program's own lookup
    QString m_path;      // where the values shown were read
    UserTagStore m_loaded; // as read, to tell what was changed here
    UserTagStore m_values;
    ProfileEncoding m_encoding = ProfileEncoding::Utf8;
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
