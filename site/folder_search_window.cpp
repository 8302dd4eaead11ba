#include "site/folder_search_window.h"

#include "document/document.h"
#include "platform/launcher.h"
#include "site/folder_replace.h"
#include "site/hit_delegate.h"
#include "site/link_check.h"
#include "site/replace_undo.h"
#include "site/site_state.h"
#include "ui/busy_pointer.h"
#include "ui/document_box.h"
#include "ui/message_box.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QThread>
#include <QTreeWidget>

namespace {
QPointer<FolderSearchWindow> s_window;
const QString kTitle = QStringLiteral("フォルダ内の検索と置換");

QLineEdit* field(QWidget* parent, const QString& name)
{
    auto* edit = new QLineEdit(parent);
    edit->setAccessibleName(name);
    return edit;
}

QCheckBox* tick(QWidget* parent, const QString& caption, const QString& name)
{
    auto* box = new QCheckBox(caption, parent);
    box->setAccessibleName(name);
    return box;
}

QPushButton* button(QWidget* parent, const QString& caption, const QString& name)
{
    auto* b = new QPushButton(caption, parent);
    b->setAccessibleName(name);
    b->setAutoDefault(false);
    return b;
}

QLabel* label(QWidget* parent, const QString& caption, QWidget* buddy)
{
    auto* l = new QLabel(caption, parent);
    l->setBuddy(buddy);
    return l;
}
}

FolderSearchWindow* FolderSearchWindow::showFor(Document& document, DocumentBox* box, QWidget* window)
{
    if (!s_window)
        s_window = new FolderSearchWindow(document, box, window);
    s_window->show();
    s_window->raise();
    s_window->activateWindow();
    s_window->m_pattern->setFocus();
    s_window->m_pattern->selectAll();
    return s_window;
}

FolderSearchWindow* FolderSearchWindow::instance()
{
    return s_window;
}

FolderSearchWindow::FolderSearchWindow(Document& document, DocumentBox* box, QWidget* window)
    : QWidget(nullptr), m_page(document, box), m_window(window)
{
    setObjectName(QStringLiteral("folderSearchWindow"));
    setWindowTitle(kTitle);
    setAccessibleName(kTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QObject::destroyed, this, [this] { close(); });

    m_pattern = field(this, QStringLiteral("検索する文字列"));
    m_replacement = field(this, QStringLiteral("置換後の文字列"));
    m_folder = field(this, QStringLiteral("フォルダ"));
    m_names = field(this, QStringLiteral("ファイル名"));
    const QString page = m_page.path();
    m_folder->setText(page.isEmpty() ? QDir::homePath() : QFileInfo(page).absolutePath());
    m_names->setText(rememberedNamePatterns());
    auto* browse = button(this, QStringLiteral("参照(&B)..."), QStringLiteral("参照"));
    m_subfolders = tick(this, QStringLiteral("サブフォルダも(&D)"), QStringLiteral("サブフォルダも"));
    m_subfolders->setChecked(true);
    m_case = tick(this, QStringLiteral("大文字と小文字を区別する(&C)"), QStringLiteral("大文字と小文字を区別する"));
    m_word = tick(this, QStringLiteral("単語単位(&W)"), QStringLiteral("単語単位"));
    m_regex = tick(this, QStringLiteral("正規表現(&E)"), QStringLiteral("正規表現"));
    m_search = button(this, QStringLiteral("検索(&S)"), QStringLiteral("検索"));
    m_search->setDefault(true);
    m_stop = button(this, QStringLiteral("中止(&T)"), QStringLiteral("中止"));
    m_stop->setEnabled(false);
    m_replace = button(this, QStringLiteral("すべて置換(&A)"), QStringLiteral("すべて置換"));
    m_undo = button(this, QStringLiteral("元に戻す(&U)"), QStringLiteral("元に戻す"));
    m_links = button(this, QStringLiteral("リンクの確認(&L)"), QStringLiteral("リンクの確認"));
    m_status = new QLabel(this);
    m_status->setAccessibleName(QStringLiteral("状況"));
    m_results = new QTreeWidget(this);
    m_results->setAccessibleName(QStringLiteral("結果"));
    m_results->setHeaderHidden(true);
    m_results->setUniformRowHeights(true);
    m_results->setItemDelegate(new HitDelegate(m_results));

    auto* grid = new QGridLayout;
    grid->addWidget(label(this, QStringLiteral("検索する文字列(&N):"), m_pattern), 0, 0);
    grid->addWidget(m_pattern, 0, 1, 1, 2);
    grid->addWidget(label(this, QStringLiteral("置換後の文字列(&P):"), m_replacement), 1, 0);
    grid->addWidget(m_replacement, 1, 1, 1, 2);
    grid->addWidget(label(this, QStringLiteral("フォルダ(&F):"), m_folder), 2, 0);
    grid->addWidget(m_folder, 2, 1);
    grid->addWidget(browse, 2, 2);
    grid->addWidget(label(this, QStringLiteral("ファイル名(&I):"), m_names), 3, 0);
    grid->addWidget(m_names, 3, 1, 1, 2);
    auto* ticks = new QHBoxLayout;
    for (QCheckBox* b : {m_subfolders, m_case, m_word, m_regex})
        ticks->addWidget(b);
    ticks->addStretch();
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_search, m_stop, m_replace, m_undo, m_links})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(ticks);
    layout->addLayout(buttons);
    layout->addWidget(m_status);
    layout->addWidget(m_results, 1);
    resize(640, 480);

    connect(browse, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("フォルダの選択"), m_folder->text());
        if (!folder.isEmpty())
            m_folder->setText(folder);
    });
    connect(m_search, &QPushButton::clicked, this, [this] { search(); });
    connect(m_pattern, &QLineEdit::returnPressed, this, [this] { search(); });
    connect(m_stop, &QPushButton::clicked, this, [this] { stop(); });
    connect(m_replace, &QPushButton::clicked, this, [this] { replaceAll(); });
    connect(m_undo, &QPushButton::clicked, this, [this] { undoReplace(); });
    connect(m_links, &QPushButton::clicked, this, [this] { checkLinks(); });
    connect(m_results, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { openRow(item); });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
}

FolderSearchWindow::~FolderSearchWindow()
{
    stop();
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

QString FolderSearchWindow::querySignature() const
{
    return QStringList{m_pattern->text(), m_replacement->text(), m_folder->text(), m_names->text(),
                       QString::number(m_subfolders->isChecked()), QString::number(m_case->isChecked()),
                       QString::number(m_word->isChecked()), QString::number(m_regex->isChecked())}
        .join(QChar(0));
}

bool FolderSearchWindow::prepare(TextSearch* search, SiteQuery* query, bool needReplacement)
{
    const QString folder = m_folder->text().trimmed();
    if (m_pattern->text().isEmpty()) {
        m_status->setText(QStringLiteral("検索する文字列を入れてください。"));
        m_pattern->setFocus();
        return false;
    }
    if (!QFileInfo(folder).isDir()) {
        m_status->setText(QStringLiteral("フォルダ %1 がありません。").arg(folder));
        m_folder->setFocus();
        return false;
    }
    *search = TextSearch(m_pattern->text(), {m_case->isChecked(), m_word->isChecked(), m_regex->isChecked()});
    if (needReplacement)
        search->setReplacement(m_replacement->text());
    if (!search->isValid()) {
        m_status->setText(search->errorText());
        return false;
    }
    query->folder = folder;
    query->namePatterns = splitNamePatterns(m_names->text());
    query->subfolders = m_subfolders->isChecked();
    return true;
}

void FolderSearchWindow::runInThread(std::function<void()> work, std::function<void()> done)
{
    setBusy(true);
    m_thread = QThread::create(std::move(work));
    connect(m_thread, &QThread::finished, this, [this, done = std::move(done)] {
        m_thread->deleteLater();
        m_thread = nullptr;
        setBusy(false);
        done();
    });
    m_thread->start();
}

void FolderSearchWindow::setBusy(bool busy)
{
    for (QWidget* w : std::initializer_list<QWidget*>{m_search, m_replace, m_undo, m_links})
        w->setEnabled(!busy);
    m_stop->setEnabled(busy);
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void FolderSearchWindow::search()
{
    if (m_thread)
        return;
    TextSearch search(QString(), {});
    SiteQuery query;
    if (!prepare(&search, &query, false))
        return;
    rememberNamePatterns(m_names->text());
    m_results->clear();
    m_found.clear();
    m_foundFor.clear();
    m_searchedFolder = QFileInfo(query.folder).canonicalFilePath();
    m_skipped = m_outside = m_total = m_looked = 0;
    m_skippedFiles.clear();
    m_hits = 0;
    m_status->setText(QStringLiteral("検索しています..."));
    std::optional<ShownPage> shown;
    if (!m_page.path().isEmpty())
        shown = ShownPage{QFileInfo(m_page.path()).canonicalFilePath(), m_page.lfText()};
    m_stopFlag = std::make_shared<std::atomic<bool>>(false);
    const QString signature = querySignature();
    QPointer<FolderSearchWindow> self(this);
    auto counts = std::make_shared<std::pair<int, int>>(0, 0); // files looked at, links out
    runInThread(
        [self, search, query, shown, stopFlag = m_stopFlag, counts] {
            const SiteFileList files = listSiteFiles(query);
            counts->second = files.outside;
            QMetaObject::invokeMethod(self, [self, total = int(files.paths.size())] {
                if (self)
                    self->m_total = total;
            });
            counts->first = searchSite(files, search, query, shown, *stopFlag, [self](FileHits&& hits) {
                QMetaObject::invokeMethod(self, [self, hits = std::move(hits)] {
                    if (self)
                        self->takeFile(hits);
                });
            });
        },
        [this, counts, signature] {
            m_outside = counts->second;
            const bool stopped = m_stopFlag->load();
            if (!stopped)
                m_foundFor = signature;
            searchEnded(counts->first, stopped);
        });
}

void FolderSearchWindow::stop()
{
    if (m_stopFlag)
        m_stopFlag->store(true);
}

void FolderSearchWindow::takeFile(const FileHits& hits)
{
    ++m_looked;
    if (hits.skipped != SiteSkip::None) {
        ++m_skipped;
        m_skippedFiles.append(QStringLiteral("%1 (%2)").arg(relative(hits.path), skipReasonText(hits.skipped)));
    }
    m_status->setText(QStringLiteral("%1 / %2 ファイルを検索しました (%3 件)").arg(m_looked).arg(m_total).arg(m_hits + hits.count));
    if (hits.count == 0)
        return;
    m_hits += hits.count;
    m_found.append(hits);
    QTreeWidgetItem* file = fileRow(
        hits.path, QStringLiteral("%1 (%2) %3 件").arg(relative(hits.path), encodingName(hits.encoding)).arg(hits.count));
    for (const LineHit& hit : hits.hits) {
        auto* row = new QTreeWidgetItem(file);
        const QString prefix = QStringLiteral("%1: ").arg(hit.line);
        row->setText(0, prefix + hit.lineText);
        row->setData(0, PathRole, hits.path);
        row->setData(0, LineRole, hit.line);
        row->setData(0, ColumnRole, prefix.size() + hit.column);
        row->setData(0, LengthRole, hit.length);
    }
    file->setExpanded(true);
    if (m_results->topLevelItemCount() == 1)
        m_results->setCurrentItem(file->child(0));
}

QString FolderSearchWindow::relative(const QString& path) const
{
    return QDir(m_searchedFolder).relativeFilePath(path);
}

QTreeWidgetItem* FolderSearchWindow::fileRow(const QString& path, const QString& text)
{
    auto* file = new QTreeWidgetItem(m_results);
    file->setText(0, text);
    file->setData(0, PathRole, path);
    file->setData(0, LineRole, 0);
    return file;
}

void FolderSearchWindow::searchEnded(int looked, bool stopped)
{
    const int skipped = m_skipped + m_outside;
    QString text = stopped ? QStringLiteral("中止しました。") : QString();
    text += QStringLiteral("%1 ファイル中 %2 ファイルで %3 件見つかりました。").arg(looked).arg(m_found.size()).arg(m_hits);
    if (skipped > 0)
        text += QStringLiteral(" 読み飛ばしたファイル: %1").arg(skipped);
    m_status->setText(text);
    if (!m_skippedFiles.isEmpty() || m_outside > 0) {
        QTreeWidgetItem* list = fileRow(QString(), QStringLiteral("読み飛ばしたファイル %1").arg(skipped));
        for (const QString& file : std::as_const(m_skippedFiles))
            (new QTreeWidgetItem(list))->setText(0, file);
        if (m_outside > 0)
            (new QTreeWidgetItem(list))->setText(0, QStringLiteral("フォルダの外へのリンク %1").arg(m_outside));
    }
    Q_EMIT searchFinished();
    if (std::exchange(m_replaceWhenFound, false) && !stopped)
        replaceAll();
}

void FolderSearchWindow::openRow(QTreeWidgetItem* item)
{
    const QString path = item->data(0, PathRole).toString();
    if (path.isEmpty())
        return;
    const int line = qMax(1, item->data(0, LineRole).toInt());
    if (m_page.holds(path))
        m_page.showLine(line);
    else if (!platform::startSecondEditor(path, line))
        m_status->setText(QStringLiteral("新しいウィンドウを開けませんでした。"));
}

void FolderSearchWindow::closeEvent(QCloseEvent* event)
{
    // A replace under way finishes its file; a search just stops.
    stop();
    if (m_thread)
        m_thread->wait();
    if (m_window)
        m_window->activateWindow();
    event->accept();
}
