#include "ui/long_line_policy.h"

#include "text/line_lengths.h"

#include <QAbstractEventDispatcher>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QStyleHints>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimerEvent>

LongLinePolicy::LongLinePolicy(QPlainTextEdit& box) : QObject(&box), m_box(box)
{
    // The caret blinks by a timer of the box's text control, an internal child object; only
    // that object's timer events are held back, so other text fields keep their blink.
    for (QObject* child : box.children()) {
        if (qstrcmp(child->metaObject()->className(), "QWidgetTextControl") == 0) {
            m_control = child;
            m_control->installEventFilter(this);
            break;
        }
    }
}

bool LongLinePolicy::needsGuard(QStringView crlfText)
{
    return linelengths::longest(crlfText, kLongestUnwrappedLine) > kLongestUnwrappedLine;
}

void LongLinePolicy::guardInsertion(QStringView inserted)
{
    if (m_on)
        return;
    const QTextCursor cursor = m_box.textCursor();
    const QTextDocument* document = m_box.document();
    const QTextBlock first = document->findBlock(cursor.selectionStart());
    const QTextBlock last = document->findBlock(cursor.selectionEnd());
    const qsizetype before = cursor.selectionStart() - first.position();
    const qsizetype after = last.position() + last.length() - 1 - cursor.selectionEnd();
    if (linelengths::longestAfterInsertion(before, inserted, after, kLongestUnwrappedLine)
        > kLongestUnwrappedLine)
        setOn(true);
}

void LongLinePolicy::setOn(bool on)
{
    const bool changed = on != m_on;
    m_on = on;
    if (on) {
        m_box.setLineWrapMode(QPlainTextEdit::WidgetWidth);
        m_box.setWordWrapMode(QTextOption::WrapAnywhere);
    } else {
        m_box.setLineWrapMode(QPlainTextEdit::NoWrap);
    }
    // Setting even an equal font lays the whole document out again.
    const QFont shown = shownFont();
    if (m_box.document()->defaultFont() != shown)
        m_box.document()->setDefaultFont(shown);
    // A caret caught in the off half of a blink would stay hidden: a focus change shows it.
    if (changed && on && m_box.hasFocus()) {
        m_box.clearFocus();
        m_box.setFocus(Qt::OtherFocusReason);
    }
}

QFont LongLinePolicy::shownFont() const
{
    QFont shown = m_box.font();
    if (m_on)
        shown.setStyleStrategy(QFont::PreferNoShaping);
    return shown;
}

bool LongLinePolicy::isBlinkTimer(int timerId) const
{
    const int blinkInterval = QGuiApplication::styleHints()->cursorFlashTime() / 2;
    // The control's other timer waits for a triple click; where both intervals happen to be
    // equal they cannot be told apart and the caret is left to blink.
    if (blinkInterval == QGuiApplication::styleHints()->mouseDoubleClickInterval())
        return false;
    const QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(m_control->thread());
    if (!dispatcher)
        return false;
    for (const QAbstractEventDispatcher::TimerInfo& timer : dispatcher->registeredTimers(m_control)) {
        if (timer.timerId == timerId)
            return timer.interval == blinkInterval;
    }
    return false;
}

bool LongLinePolicy::eventFilter(QObject* watched, QEvent* e)
{
    if (m_on && watched == m_control && e->type() == QEvent::Timer
        && isBlinkTimer(static_cast<QTimerEvent*>(e)->timerId()))
        return true;
    return QObject::eventFilter(watched, e);
}
