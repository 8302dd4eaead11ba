#include "site/folder_search_window.h"

#include "site/link_check.h"
#include "site/replace_undo.h"
#include "ui/busy_pointer.h"
#include "ui/message_box.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QLabel>
#include <QTreeWidget>

// すべて置換, 元に戻す and リンクの確認 of the folder window.

namespace {
const QString kTitle = QStringLiteral("フォルダ内の検索と置換");
}

void FolderSearchWindow::replaceAll()
{
    if (m_thread)
        return;
    TextSearch search(QString(), {});
    SiteQuery query;
    if (!prepare(&search, &query, true))
        return;
    // The question counts what a search of exactly these settings found.
    if (m_foundFor != querySignature()) {
        m_replaceWhenFound = true;
        this->search();
        return;
    }
    if (m_found.isEmpty()) {
        m_status->setText(QStringLiteral("置換するものが見つかりません。"));
        return;
    }
    const QString question = QStringLiteral("%1 個のファイルの %2 箇所を置換します。\r"
                                            "置換の前の内容は控えておき、元に戻すで戻せます。\rよろしいですか？")
                                 .arg(m_found.size())
                                 .arg(m_hits);
    if (!askYesNo(this, kTitle, question, MessageIcon::Exclamation, false))
        return;
    auto store = std::make_shared<ReplaceUndoStore>();
    if (!store->startSet()) {
        tellUser(this, kTitle, QStringLiteral("元に戻すための控えを置く場所を作れないため、置換しませんでした。"),
                 MessageIcon::Exclamation);
        return;
    }
    // The page shown here changes in the box, as one step its undo takes back; the file
    // changes when the user saves it.
    qsizetype shownCount = -1;
    QList<FileHits> files;
    for (const FileHits& hits : std::as_const(m_found)) {
        if (m_page.holds(hits.path))
            shownCount = m_page.replaceAll(search);
        else
            files.append(hits);
    }
    m_foundFor.clear();
    m_stopFlag = std::make_shared<std::atomic<bool>>(false);
    auto outcomes = std::make_shared<QList<FileReplaceOutcome>>();
    QPointer<FolderSearchWindow> self(this);
    const qint64 limit = query.sizeLimit;
    const int total = int(files.size());
    runInThread(
        [self, files, search, store, outcomes, limit, total, stopFlag = m_stopFlag] {
            int done = 0;
            *outcomes = replaceInSite(files, search, limit, *store, *stopFlag, [&](const FileReplaceOutcome&) {
                QMetaObject::invokeMethod(self, [self, count = ++done, total] {
                    if (self)
                        self->m_status->setText(QStringLiteral("%1 / %2 ファイルを置換しました").arg(count).arg(total));
                });
            });
        },
        [this, outcomes, shownCount] {
            showReplaceOutcomes(*outcomes, shownCount);
            Q_EMIT replaceFinished();
        });
}

void FolderSearchWindow::showReplaceOutcomes(const QList<FileReplaceOutcome>& outcomes, qsizetype shownCount)
{
    m_results->clear();
    int written = 0;
    qsizetype replaced = 0;
    int refused = 0;
    if (shownCount >= 0) {
        fileRow(m_page.path(), QStringLiteral("%1: 表示中のページで %2 件を置換しました (保存すると書き込まれます)")
                                   .arg(relative(m_page.path()))
                                   .arg(shownCount));
        replaced += shownCount;
    }
    for (const FileReplaceOutcome& o : outcomes) {
        QString text = relative(o.path) + QStringLiteral(": ") + replaceOutcomeText(o);
        if (o.searchedAgain)
            text += QStringLiteral(" (検索の後に変更されていたため、検索し直しました)");
        fileRow(o.path, text);
        if (o.kind == FileReplaceOutcome::Written) {
            ++written;
            replaced += o.count;
        } else if (o.kind != FileReplaceOutcome::NoHits) {
            ++refused;
        }
    }
    QString status = QStringLiteral("%1 個のファイルに書き込み、%2 件を置換しました。").arg(written).arg(replaced);
    if (refused > 0)
        status += QStringLiteral(" 書き込まなかったファイル: %1").arg(refused);
    if (m_stopFlag && m_stopFlag->load())
        status = QStringLiteral("中止しました。") + status;
    m_status->setText(status);
}

void FolderSearchWindow::undoReplace()
{
    if (m_thread)
        return;
    ReplaceUndoStore store;
    const qsizetype count = store.entries().size();
    if (count == 0) {
        m_status->setText(QStringLiteral("元に戻す置換はありません。"));
        return;
    }
    if (!askYesNo(this, kTitle, QStringLiteral("前回のすべて置換で書き込んだ %1 個のファイルを元に戻します。\rよろしいですか？").arg(count),
                  MessageIcon::Exclamation, false))
        return;
    ReplaceUndoStore::UndoOutcome outcome;
    {
        BusyPointer busy;
        outcome = store.undo();
    }
    m_results->clear();
    for (const QString& path : std::as_const(outcome.restored))
        fileRow(path, path + QStringLiteral(": 元に戻しました"));
    for (const QString& path : std::as_const(outcome.changedSince))
        fileRow(path, path + QStringLiteral(": 置換の後に変更されているため、そのままにしました"));
    for (const QString& path : std::as_const(outcome.failed))
        fileRow(path, path + QStringLiteral(": 書き込みに失敗しました"));
    m_foundFor.clear();
    m_status->setText(QStringLiteral("%1 個のファイルを元に戻しました。").arg(outcome.restored.size()));
}

void FolderSearchWindow::checkLinks()
{
    if (m_thread)
        return;
    const QString folder = m_folder->text().trimmed();
    if (!QFileInfo(folder).isDir()) {
        m_status->setText(QStringLiteral("フォルダ %1 がありません。").arg(folder));
        return;
    }
    BusyPointer busy;
    SiteQuery query{folder, splitNamePatterns(QStringLiteral("*.htm;*.html;*.shtml;*.php")), m_subfolders->isChecked()};
    m_searchedFolder = QFileInfo(folder).canonicalFilePath();
    m_results->clear();
    LinkChecker checker(m_searchedFolder);
    int problems = 0;
    const SiteFileList files = listSiteFiles(query);
    for (const QString& path : files.paths) {
        QString text;
        if (m_page.holds(path)) {
            text = m_page.lfText();
        } else {
            const SiteFileRead read = readSiteFile(path, query.sizeLimit);
            if (read.skipped != SiteSkip::None)
                continue;
            text = siteTextOf(read.bytes).text;
        }
        const QList<LinkProblem> found = checker.check(path, text);
        if (found.isEmpty())
            continue;
        problems += found.size();
        QTreeWidgetItem* file = fileRow(path, QStringLiteral("%1 %2 件").arg(relative(path)).arg(found.size()));
        for (const LinkProblem& p : found) {
            auto* row = new QTreeWidgetItem(file);
            row->setText(0, QStringLiteral("%1: %2 — %3").arg(p.line).arg(p.link, linkProblemText(p)));
            row->setData(0, PathRole, path);
            row->setData(0, LineRole, p.line);
        }
        file->setExpanded(true);
    }
    m_status->setText(QStringLiteral("%1 ページで、行き先のないリンクが %2 件ありました。").arg(files.paths.size()).arg(problems));
}
