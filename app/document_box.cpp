#include "app/document_box.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {
QString fromBoxText(QString text)
{
    // Blocks are separated by U+2029; everything else is the user's own character.
    text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    return text;
}
}

DocumentBox::DocumentBox(QWidget* parent) : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("editwindow"));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setMouseTracking(true);
    setAcceptDrops(true);
}

bool DocumentBox::isEmpty() const
{
    return document()->isEmpty();
}

QString DocumentBox::documentText() const
{
    return fromBoxText(document()->toRawText());
}

QString DocumentBox::toBoxText(const QString& crlfText)
{
    if (!crlfText.contains(u'\r'))
        return crlfText;
    QString text = crlfText;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

void DocumentBox::setDocumentText(const QString& crlfText)
{
    setPlainText(toBoxText(crlfText));
}

QString DocumentBox::readSelection() const
{
    return fromBoxText(textCursor().selectedText());
}

void DocumentBox::replaceSelection(const QString& crlfText)
{
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.insertText(toBoxText(crlfText));
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

bool DocumentBox::event(QEvent* e)
{
    // The window's own Cut, Copy and Paste commands own these keys; the box would otherwise
    // claim them before the window's shortcuts see them.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->matches(QKeySequence::Cut) || key->matches(QKeySequence::Copy)
            || key->matches(QKeySequence::Paste)) {
            e->ignore();
            return true;
        }
    }
    return QPlainTextEdit::event(e);
}
