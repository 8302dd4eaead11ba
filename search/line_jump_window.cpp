#include "search/line_jump_window.h"

#include "ui/document_box.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShortcut>

namespace {
QPointer<LineJumpWindow> s_window;
}

LineJumpWindow* LineJumpWindow::showFor(DocumentBox* box, QWidget* window)
{
    if (s_window && s_window->m_box != box)
        delete s_window;
    if (!s_window)
        s_window = new LineJumpWindow(box, window);
    s_window->showRange();
    s_window->show();
    s_window->raise();
    s_window->activateWindow();
    s_window->m_line->setFocus();
    s_window->m_line->selectAll();
    return s_window;
}

LineJumpWindow* LineJumpWindow::instance()
{
    return s_window;
}

LineJumpWindow::LineJumpWindow(DocumentBox* box, QWidget* window)
    : QWidget(nullptr), m_box(box), m_window(window)
{
    setObjectName(QStringLiteral("lineJumpWindow"));
    setWindowTitle(QStringLiteral("行へ移動"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    connect(box, &QObject::destroyed, this, [this] { delete this; });

    m_range = new QLabel(this);
    m_range->setObjectName(QStringLiteral("lineRange"));
    m_line = new QLineEdit(this);
    m_line->setObjectName(QStringLiteral("lineNumber"));
    m_line->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9０-９]{0,10}")), m_line));
    m_range->setBuddy(m_line);
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("lineNote"));
    auto* go = new QPushButton(QStringLiteral("移動"), this);
    go->setObjectName(QStringLiteral("jumpToLine"));
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_range, 0, 0);
    grid->addWidget(m_line, 0, 1);
    grid->addWidget(m_note, 1, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(go);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 2, 0, 1, 2);

    connect(go, &QPushButton::clicked, this, &LineJumpWindow::jump);
    connect(m_line, &QLineEdit::returnPressed, this, &LineJumpWindow::jump);
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, [this] { close(); });
    escape->setContext(Qt::WindowShortcut);
}

void LineJumpWindow::showRangeLabel()
{
    m_range->setText(QStringLiteral("行番号（1～%1）(&L):").arg(m_box->model().lineCount()));
}

void LineJumpWindow::showRange()
{
    if (!m_box)
        return;
    showRangeLabel();
    m_line->setText(QString::number(m_box->model().lineAt(m_box->caret())));
    m_note->clear();
}

void LineJumpWindow::jump()
{
    if (!m_box)
        return;
    showRangeLabel(); // the document may have changed while the window was open
    const int last = m_box->model().lineCount();
    bool ok = false;
    // Full-width digits, as a Japanese input method may leave them, count as digits.
    QString typed = m_line->text();
    for (QChar& c : typed) {
        if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19)
            c = QChar(u'0' + (c.unicode() - 0xFF10));
    }
    const long long line = typed.toLongLong(&ok);
    if (!ok || line < 1 || line > last) {
        m_line->setText(typed);
        m_note->setText(QStringLiteral("1 から %1 までの行番号を入れてください。").arg(last));
        m_line->setFocus();
        m_line->selectAll();
        return;
    }
    const qsizetype start = m_box->model().lineStart(int(line));
    m_box->select(start, start);
    close();
}

void LineJumpWindow::closeEvent(QCloseEvent* event)
{
    if (m_window) {
        m_window->activateWindow();
        if (m_box)
            m_box->setFocus();
    }
    event->accept();
}
