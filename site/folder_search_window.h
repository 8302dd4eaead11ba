#pragma once

#include "site/folder_replace.h"
#include "site/folder_search.h"
#include "site/shown_page.h"

#include <QPointer>
#include <QWidget>

#include <atomic>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QThread;
class QTreeWidget;
class QTreeWidgetItem;

// フォルダ内の検索と置換: one at a time, not modal. The search runs on a thread of its own
// and the list grows as files are done; すべて置換 asks first and keeps every file's old
// bytes for 元に戻す.
class FolderSearchWindow : public QWidget {
    Q_OBJECT
public:
    static FolderSearchWindow* showFor(Document& document, DocumentBox* box, QWidget* window);
    static FolderSearchWindow* instance();
    ~FolderSearchWindow() override;

    bool isBusy() const { return m_thread != nullptr; }

    // Roles of the list's rows.
    enum Role { PathRole = Qt::UserRole + 1, LineRole, ColumnRole, LengthRole };

Q_SIGNALS:
    void searchFinished();
    void replaceFinished();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    FolderSearchWindow(Document& document, DocumentBox* box, QWidget* window);
    void search();
    void stop();
    void replaceAll();
    void undoReplace();
    void checkLinks();
    void openRow(QTreeWidgetItem* item);
    void takeFile(const FileHits& hits);
    void searchEnded(int looked, bool stopped);
    void setBusy(bool busy);
    void showReplaceOutcomes(const QList<FileReplaceOutcome>& outcomes, qsizetype shownCount);
    QTreeWidgetItem* fileRow(const QString& path, const QString& text);
    void runInThread(std::function<void()> work, std::function<void()> done);
    bool prepare(TextSearch* search, SiteQuery* query, bool needReplacement);
    QString relative(const QString& path) const;
    QString querySignature() const;

    PageInBox m_page;
    QPointer<QWidget> m_window;
    QLineEdit* m_pattern;
    QLineEdit* m_replacement;
    QLineEdit* m_folder;
    QLineEdit* m_names;
    QCheckBox* m_subfolders;
    QCheckBox* m_case;
    QCheckBox* m_word;
    QCheckBox* m_regex;
    QPushButton* m_search;
    QPushButton* m_stop;
    QPushButton* m_replace;
    QPushButton* m_undo;
    QPushButton* m_links;
    QLabel* m_status;
    QTreeWidget* m_results;

    QThread* m_thread = nullptr;
    std::shared_ptr<std::atomic<bool>> m_stopFlag;
    // The last search's files with hits and what they were then.
    QList<FileHits> m_found;
    QString m_foundFor; // querySignature() of that search, complete
    QString m_searchedFolder;
    int m_skipped = 0;
    int m_outside = 0;
    int m_total = 0;
    int m_looked = 0;
    QStringList m_skippedFiles;
    qsizetype m_hits = 0;
    bool m_replaceWhenFound = false;
};
