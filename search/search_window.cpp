#include "search/search_window.h"

#include "ui/document_box.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
QPointer<SearchWindow> s_window;

QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QCheckBox* tick(QWidget* parent, const char* name, const QString& caption, bool checked)
{
    auto* t = new QCheckBox(caption, parent);
    t->setObjectName(QLatin1String(name));
    t->setChecked(checked);
    return t;
}
}

SearchWindow* SearchWindow::showFor(DocumentBox* box, QWidget* window)
{
    if (s_window && s_window->m_box != box) {
        s_window->close();
        delete s_window;
    }
    if (!s_window)
        s_window = new SearchWindow(box, window);
    s_window->takeSelection();
    s_window->show();
    s_window->raise();
    s_window->activateWindow();
    s_window->m_findText->setFocus();
    s_window->m_findText->selectAll();
    return s_window;
}

SearchWindow* SearchWindow::instance()
{
    return s_window;
}

SearchWindow::SearchWindow(DocumentBox* box, QWidget* window)
    : QWidget(nullptr), m_box(box), m_window(window), m_session(SearchSession::of(box))
{
    setObjectName(QStringLiteral("searchWindow"));
    setWindowTitle(QStringLiteral("検索と置換"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    // The window cannot outlive the box it searches.
    connect(box, &QObject::destroyed, this, [this] { delete this; });
    buildControls();
}

SearchWindow::~SearchWindow() = default;

void SearchWindow::buildControls()
{
    auto* fields = new QGridLayout;
    m_findText = new QLineEdit(m_session->pattern, this);
    m_findText->setObjectName(QStringLiteral("findText"));
    m_replaceText = new QLineEdit(m_session->replacement, this);
    m_replaceText->setObjectName(QStringLiteral("replaceText"));
    auto* findLabel = new QLabel(QStringLiteral("検索する文字列(&N):"), this);
    findLabel->setBuddy(m_findText);
    auto* replaceLabel = new QLabel(QStringLiteral("置換後の文字列(&P):"), this);
    replaceLabel->setBuddy(m_replaceText);
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(m_findText, 0, 1);
    fields->addWidget(replaceLabel, 1, 0);
    fields->addWidget(m_replaceText, 1, 1);
    m_findText->setMinimumWidth(260);

    const SearchOptions& o = m_session->options;
    m_matchCase = tick(this, "matchCase", QStringLiteral("大文字と小文字を区別する(&C)"), o.caseSensitive);
    m_wholeWord = tick(this, "wholeWord", QStringLiteral("単語単位(&W)"), o.wholeWord);
    m_regularExpression = tick(this, "regularExpression", QStringLiteral("正規表現(&E)"), o.regularExpression);
    m_selectionOnly = tick(this, "selectionOnly", QStringLiteral("選択範囲のみ(&L)"), m_session->keepsToSelection());
    auto* ticks = new QVBoxLayout;
    for (QCheckBox* t : {m_matchCase, m_wholeWord, m_regularExpression, m_selectionOnly})
        ticks->addWidget(t);
    ticks->addStretch();

    QPushButton* down = button(this, "findDown", QStringLiteral("下へ検索(&D)"));
    QPushButton* up = button(this, "findUp", QStringLiteral("上へ検索(&U)"));
    QPushButton* one = button(this, "replaceOne", QStringLiteral("置換(&R)"));
    QPushButton* all = button(this, "replaceAll", QStringLiteral("すべて置換(&A)"));
    QPushButton* closing = button(this, "closeSearch", QStringLiteral("閉じる"));
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {down, up, one, all, closing})
        buttons->addWidget(b);
    buttons->addStretch();

    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("searchNote"));
    m_note->setWordWrap(true);
    m_note->setTextFormat(Qt::PlainText);
    m_note->setMinimumHeight(m_note->fontMetrics().height() * 2);

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(ticks);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(buttons);
    auto* whole = new QVBoxLayout(this);
    whole->addLayout(top);
    whole->addWidget(m_note);

    connect(down, &QPushButton::clicked, this, [this] { findNext(SearchDirection::Forward); });
    connect(up, &QPushButton::clicked, this, [this] { findNext(SearchDirection::Backward); });
    connect(one, &QPushButton::clicked, this, &SearchWindow::replaceOne);
    connect(all, &QPushButton::clicked, this, &SearchWindow::replaceAll);
    connect(closing, &QPushButton::clicked, this, &QWidget::close);
    for (QLineEdit* field : {m_findText, m_replaceText})
        connect(field, &QLineEdit::returnPressed, this, [this] { findNext(SearchDirection::Forward); });
    connect(m_selectionOnly, &QCheckBox::toggled, this, &SearchWindow::keepToSelectionToggled);
    for (QCheckBox* t : {m_matchCase, m_wholeWord, m_regularExpression})
        connect(t, &QCheckBox::toggled, this, [this] { storeFields(); m_note->clear(); });
    connect(m_findText, &QLineEdit::textEdited, m_note, &QLabel::clear);

    auto key = [this](QKeySequence sequence, auto slot) {
        auto* s = new QShortcut(sequence, this, slot);
        s->setContext(Qt::WindowShortcut);
    };
    key(QKeySequence(Qt::Key_Escape), [this] { close(); });
    key(QKeySequence(Qt::Key_F3), [this] { findNext(SearchDirection::Forward); });
    key(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { findNext(SearchDirection::Backward); });
    setTabOrder(m_findText, m_replaceText);
}

void SearchWindow::takeSelection()
{
    if (!m_box)
        return;
    // As the text has it: the box may part one line into blocks, or hold several in one.
    const QString selected = m_box->readSelection();
    if (selected.isEmpty())
        return;
    if (selected.contains(u'\n') || selected.contains(u'\r')) {
        QSignalBlocker quiet(m_selectionOnly);
        m_selectionOnly->setChecked(m_session->keepToSelection());
    } else {
        m_findText->setText(selected);
        storeFields();
    }
}

void SearchWindow::storeFields()
{
    m_session->pattern = m_findText->text();
    m_session->replacement = m_replaceText->text();
    m_session->options = {.caseSensitive = m_matchCase->isChecked(),
                          .wholeWord = m_wholeWord->isChecked(),
                          .regularExpression = m_regularExpression->isChecked()};
}

void SearchWindow::keepToSelectionToggled(bool on)
{
    m_note->clear();
    if (!on) {
        m_session->searchWholeDocument();
        return;
    }
    if (!m_session->keepToSelection()) {
        QSignalBlocker quiet(m_selectionOnly);
        m_selectionOnly->setChecked(false);
        m_note->setText(QStringLiteral("文書の中で範囲を選択してから選んでください。"));
    }
}

void SearchWindow::findNext(SearchDirection direction)
{
    storeFields();
    report(m_session->find(direction), direction);
}

void SearchWindow::replaceOne()
{
    storeFields();
    report(m_session->replaceOne(), SearchDirection::Forward);
}

void SearchWindow::replaceAll()
{
    storeFields();
    report(m_session->replaceAll(), SearchDirection::Forward);
}

void SearchWindow::report(const SearchSession::Outcome& outcome, SearchDirection direction)
{
    using Kind = SearchSession::Outcome::Kind;
    const bool inSelection = m_session->keepsToSelection();
    QString note;
    switch (outcome.kind) {
    case Kind::Found:
        break;
    case Kind::Wrapped:
        if (direction == SearchDirection::Forward)
            note = inSelection ? QStringLiteral("選択範囲の終わりまで検索したので、初めに戻って見つけました。")
                               : QStringLiteral("文書の末尾まで検索したので、先頭に戻って見つけました。");
        else
            note = inSelection ? QStringLiteral("選択範囲の初めまで検索したので、終わりに戻って見つけました。")
                               : QStringLiteral("文書の先頭まで検索したので、末尾に戻って見つけました。");
        break;
    case Kind::NotFound:
        note = QStringLiteral("「%1」は見つかりませんでした。").arg(m_session->pattern);
        break;
    case Kind::Replaced:
        note = QStringLiteral("%1 個所を置換しました。").arg(outcome.count);
        break;
    case Kind::Invalid:
        note = outcome.error + QStringLiteral("\n何も変えていません。");
        break;
    case Kind::NoPattern:
        note = QStringLiteral("検索する文字列を入れてください。");
        break;
    }
    if (outcome.kind == Kind::Found && outcome.count > 0)
        note = QStringLiteral("置換しました。");
    else if (outcome.count > 0 && outcome.kind != Kind::Replaced)
        note = QStringLiteral("置換しました。") + note;
    m_note->setText(note);
}

void SearchWindow::closeEvent(QCloseEvent* event)
{
    storeFields();
    // Back to the document, where the found text is selected.
    if (m_window) {
        m_window->activateWindow();
        if (m_box)
            m_box->setFocus();
    }
    event->accept();
}
