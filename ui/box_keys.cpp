// The document box's keys: every change they make goes to the text model's edit path in text
// positions, never to the document underneath.
#include "ui/document_box.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>

namespace {
// Typed text as a text box takes it: printable characters, tabs and formatting characters,
// never a control-key combination.
bool isTypedText(const QKeyEvent* e)
{
    const QString text = e->text();
    if (text.isEmpty())
        return false;
    const QChar c = text.at(0);
    if (c.category() == QChar::Other_Format)
        return true;
    const Qt::KeyboardModifiers modifiers = e->modifiers();
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    return c.isPrint() || c.category() == QChar::Other_PrivateUse || c == u'\t'
        || (c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate());
}
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

void DocumentBox::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_A && (e->modifiers() & ~Qt::KeypadModifier) == (Qt::ControlModifier | Qt::ShiftModifier)) {
        selectElement(); // a read-only page can be selected in too
        e->accept();
        return;
    }
    if (!isReadOnly() && editByKey(e)) {
        e->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(e);
}

TextRange DocumentBox::deletedBy(const QKeyEvent* e) const
{
    const TextRange selected = selection();
    const qsizetype caret = selected.position;
    if (e->matches(QKeySequence::DeleteCompleteLine)) {
        const auto [start, end] = m_model->lineAround(caret, INT_MAX);
        return {start, end};
    }
    if (!selected.isEmpty())
        return {selected.start(), selected.end()};
    if (e->matches(QKeySequence::DeleteEndOfLine)) {
        const qsizetype end = m_model->lineAround(caret, INT_MAX).second;
        return {caret, end > caret ? end : qMin(caret + 1, m_model->length())};
    }
    if (e->key() == Qt::Key_Backspace || e->matches(QKeySequence::Backspace)) {
        // One code point back, as a text box does, so an accent can be taken off its letter.
        const QString before = m_model->text(qMax<qsizetype>(0, caret - 2), caret);
        const bool pair = before.size() == 2 && before[1].isLowSurrogate() && before[0].isHighSurrogate();
        return {qMax<qsizetype>(0, caret - (pair ? 2 : 1)), caret};
    }
    QTextCursor::MoveOperation move = QTextCursor::NextCharacter;
    if (e->matches(QKeySequence::DeleteStartOfWord))
        move = QTextCursor::PreviousWord;
    else if (e->matches(QKeySequence::DeleteEndOfWord))
        move = QTextCursor::NextWord;
    // The box's own steps, which know characters and words; a step that only crosses a soft
    // break is taken again.
    QTextCursor cursor(document());
    cursor.setPosition(m_model->toBox(caret));
    qsizetype reached = caret;
    for (int tries = 0; tries < 3 && reached == caret && cursor.movePosition(move); ++tries)
        reached = m_model->toText(cursor.position());
    return {qMin(caret, reached), qMax(caret, reached)};
}

bool DocumentBox::editByKey(QKeyEvent* e)
{
    const Qt::KeyboardModifiers modifiers = e->modifiers() & ~Qt::KeypadModifier;
    if (e->matches(QKeySequence::Undo)) {
        undoStep();
    } else if (e->matches(QKeySequence::Redo) || (e->key() == Qt::Key_Y && modifiers == Qt::ControlModifier)) {
        redoStep(); // Ctrl+Y as well, as people used to other systems press it
    } else if (e->matches(QKeySequence::Cut)) {
        if (!selection().isEmpty()) {
            copy();
            replaceSelection(QString());
        }
    } else if (e->matches(QKeySequence::Paste)) {
        paste();
    } else if (e->matches(QKeySequence::InsertParagraphSeparator)) {
        typeLineBreak(true);
    } else if (e->matches(QKeySequence::InsertLineSeparator)) {
        // A line break without indentation; U+2028 would be an invisible character in a page.
        typeLineBreak(false);
    } else if ((e->key() == Qt::Key_Backspace && !(modifiers & ~Qt::ShiftModifier))
               || e->matches(QKeySequence::Backspace) || e->matches(QKeySequence::Delete)
               || e->matches(QKeySequence::DeleteStartOfWord) || e->matches(QKeySequence::DeleteEndOfWord)
               || e->matches(QKeySequence::DeleteEndOfLine) || e->matches(QKeySequence::DeleteCompleteLine)) {
        const TextRange taken = deletedBy(e);
        // Runs of BackSpace or of Delete, one character each, are one step; everything else
        // these keys take is a step of its own.
        EditKind kind = EditKind::Command;
        if (selection().isEmpty() && e->matches(QKeySequence::Delete))
            kind = EditKind::Delete;
        else if (selection().isEmpty() && (e->key() == Qt::Key_Backspace && !(modifiers & ~Qt::ShiftModifier)))
            kind = EditKind::Backspace;
        if (!taken.isEmpty())
            replaceRange(taken.start(), taken.end(), {}, kind);
    } else if (e->key() == Qt::Key_Direction_L || e->key() == Qt::Key_Direction_R) {
        // The box would turn the line's direction, a change of format the page does not hold.
    } else if (isTypedText(e)) {
        typeText(e->text());
    } else {
        return false;
    }
    return true;
}
