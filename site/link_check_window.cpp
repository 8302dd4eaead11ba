#include "site/link_check_window.h"

#include "site/link_check.h"
#include "site/site_state.h"
#include "ui/busy_pointer.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
QPointer<LinkCheckWindow> s_window;
const QString kTitle = QStringLiteral("リンクの確認");
}

LinkCheckWindow* LinkCheckWindow::showFor(Document& document, DocumentBox* box, QWidget* window)
{
    if (!s_window)
        s_window = new LinkCheckWindow(document, box, window);
    s_window->show();
    s_window->raise();
    s_window->activateWindow();
    s_window->check();
    return s_window;
}

LinkCheckWindow* LinkCheckWindow::instance()
{
    return s_window;
}

LinkCheckWindow::LinkCheckWindow(Document& document, DocumentBox* box, QWidget* window)
    : QWidget(nullptr), m_page(document, box), m_window(window)
{
    setObjectName(QStringLiteral("linkCheckWindow"));
    setWindowTitle(kTitle);
    setAccessibleName(kTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QObject::destroyed, this, [this] { close(); });
    m_status = new QLabel(this);
    m_status->setAccessibleName(QStringLiteral("状況"));
    m_results = new QListWidget(this);
    m_results->setAccessibleName(QStringLiteral("結果"));
    auto* again = new QPushButton(QStringLiteral("もう一度確認(&R)"), this);
    again->setAccessibleName(QStringLiteral("もう一度確認"));
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setAccessibleName(QStringLiteral("閉じる"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_status, 1);
    buttons->addWidget(again);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_results, 1);
    layout->addLayout(buttons);
    resize(560, 320);
    connect(again, &QPushButton::clicked, this, [this] { check(); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    connect(m_results, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        m_page.showLine(item->data(Qt::UserRole).toInt());
    });
}

QString LinkCheckWindow::siteRoot(const QString& pagePath, QStringView text)
{
    const QString folder = QFileInfo(pagePath).absolutePath();
    const QString remembered = rememberedSiteRoot(pagePath);
    if (!remembered.isEmpty() || !LinkChecker::hasRootLinks(text))
        return remembered.isEmpty() ? folder : remembered;
    // Asked once a site: where links that start with "/" start.
    const QString root = QFileDialog::getExistingDirectory(
        this, QStringLiteral("サイトの一番上のフォルダ (「/」で始まるリンクの起点) を選んでください"), folder);
    if (root.isEmpty())
        return folder;
    rememberSiteRoot(QFileInfo(root).absoluteFilePath());
    return root;
}

void LinkCheckWindow::check()
{
    m_results->clear();
    const QString path = m_page.path();
    if (path.isEmpty()) {
        m_status->setText(QStringLiteral("ページを保存すると、リンクを確認できます。"));
        return;
    }
    const QString text = m_page.lfText();
    const QString root = siteRoot(path, text);
    BusyPointer busy;
    LinkChecker checker(root);
    const QList<LinkProblem> problems = checker.check(QFileInfo(path).absoluteFilePath(), text);
    for (const LinkProblem& p : problems) {
        auto* row = new QListWidgetItem(QStringLiteral("%1 行: %2 — %3").arg(p.line).arg(p.link, linkProblemText(p)), m_results);
        row->setData(Qt::UserRole, p.line);
    }
    m_status->setText(problems.isEmpty() ? QStringLiteral("行き先のないリンクはありません。")
                                         : QStringLiteral("行き先のないリンクが %1 件あります。").arg(problems.size()));
    if (!problems.isEmpty())
        m_results->setCurrentRow(0);
}
