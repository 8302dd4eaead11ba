// The document box and the input method. What the input method commits goes to the text
// model's edit path as one step; the pre-edit is shown in the layout of the caret's block and
// never becomes part of the document, and none of the input method's events reaches the
// document's text through QPlainTextEdit.
#include "ui/document_box.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QScopedValueRollback>
#include <QTextLayout>

namespace {
// The input method is shown this much of the caret's line either way; a page's lines may be
// millions of characters long.
constexpr int kSurroundingText = 1000;

// Text positions count a line break as one character, whichever form it has.
qsizetype textLength(QStringView text)
{
    qsizetype length = text.size();
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        length -= text[i] == u'\r' && text[i + 1] == u'\n';
    return length;
}
}

void DocumentBox::inputMethodEvent(QInputMethodEvent* e)
{
    if (isReadOnly()) {
        hidePreedit();
        e->ignore();
        return;
    }
    m_model->endTypingRun(); // what it commits is a step of its own
    const QScopedValueRollback<bool> inside(m_inInputMethod, true);
    const TextRange selected = selection();
    const bool commits = !e->commitString().isEmpty() || e->replacementLength() > 0;
    const bool composes = !e->preeditString().isEmpty();
    // The pre-edit shown goes first, before the text under it changes and the caret moves on.
    hidePreedit();
    if (commits) {
        commitComposed(*e, selected);
    } else if (composes && !selected.isEmpty()) {
        // Composing over a selection takes it away at once, as typing would; the commit
        // that follows is one step with that.
        replaceRange(selected.start(), selected.end(), {});
        m_composing = true;
        m_composedOver = m_model->revision();
    }
    // Selections the input method asks for count from the start of the text it was shown.
    for (const QInputMethodEvent::Attribute& a : e->attributes()) {
        if (a.type != QInputMethodEvent::Selection)
            continue;
        const qsizetype lineStart = m_model->lineAround(caret(), kSurroundingText).first;
        const auto bounded = [this](qsizetype at) { return qBound<qsizetype>(0, at, m_model->length()); };
        select(bounded(lineStart + a.start), bounded(lineStart + a.start + a.length));
    }
    if (composes)
        showPreedit(*e);
    else
        m_composing = false; // cancelled or committed: nothing is left to join
    e->accept();
}

void DocumentBox::commitComposed(const QInputMethodEvent& e, TextRange selected)
{
    const QString& text = e.commitString();
    const qsizetype start = selected.start();
    const qsizetype removed = selected.end() - start;
    const bool join = m_composing && m_composedOver == m_model->revision();
    m_composing = false;
    // The range the input method names counts from the caret once the selection is gone.
    const qsizetype rest = m_model->length() - removed;
    const qsizetype from = qBound<qsizetype>(0, start + e.replacementStart(), rest);
    const qsizetype to = qBound<qsizetype>(from, from + e.replacementLength(), rest);
    if (removed == 0) {
        const qsizetype end = join ? m_model->replaceJoiningPrevious(from, to, text) : m_model->replace(from, to, text);
        select(end, end);
        return;
    }
    // The selection and the range named, both in one step over the stretch they span.
    if (from >= start) {
        m_model->replace(start, to + removed,
                         TextChanges{{0, removed, QString()}, {from + removed - start, to - from, text}});
    } else if (to <= start) {
        m_model->replace(from, start + removed, TextChanges{{0, to - from, text}, {start - from, removed, QString()}});
    } else {
        m_model->replace(from, to + removed, text);
    }
    const qsizetype end = from + textLength(text);
    select(end, end);
}

void DocumentBox::showPreedit(const QInputMethodEvent& e)
{
    m_preeditAt = textCursor();
    const QTextBlock block = m_preeditAt.block();
    const TextModel::LayoutOnly layoutOnly(*m_model);
    {
        QTextCursor edit(document());
        edit.beginEditBlock();
        block.layout()->setPreeditArea(m_preeditAt.position() - block.position(), e.preeditString());
        edit.endEditBlock();
    }
    // The box draws the pre-edit's caret and formats as the input method asks. Told of the
    // pre-edit already shown, it takes nothing from the event but those.
    QList<QInputMethodEvent::Attribute> look;
    bool caretGiven = false;
    for (const QInputMethodEvent::Attribute& a : e.attributes()) {
        caretGiven = caretGiven || a.type == QInputMethodEvent::Cursor;
        if (a.type == QInputMethodEvent::Cursor || a.type == QInputMethodEvent::TextFormat)
            look.append(a);
    }
    if (!caretGiven)
        look.append({QInputMethodEvent::Cursor, int(e.preeditString().size()), 1});
    QInputMethodEvent shown(e.preeditString(), look);
    if (textCursor().block().layout()->preeditAreaText() == e.preeditString())
        QPlainTextEdit::inputMethodEvent(&shown);
}

void DocumentBox::hidePreedit()
{
    if (m_preeditAt.isNull())
        return;
    const QTextBlock block = m_preeditAt.block();
    m_preeditAt = QTextCursor();
    const TextModel::LayoutOnly layoutOnly(*m_model);
    if (block.isValid() && !block.layout()->preeditAreaText().isEmpty()) {
        QTextCursor edit(document());
        edit.beginEditBlock();
        block.layout()->setPreeditArea(-1, QString());
        block.layout()->clearFormats(); // the pre-edit's underline would fall on the text
        edit.endEditBlock();
    }
    // The box's caret comes out of the pre-edit.
    QInputMethodEvent none(QString(), {{QInputMethodEvent::Cursor, 0, 1}});
    if (textCursor().block().layout()->preeditAreaText().isEmpty())
        QPlainTextEdit::inputMethodEvent(&none);
}

void DocumentBox::endComposition()
{
    if (m_inInputMethod)
        return;
    if (!m_preeditAt.isNull()) {
        // As a click does in Qt's own boxes: the input method puts in what is being composed,
        // where it was composed. One that does not answer loses its pre-edit.
        const QScopedValueRollback<bool> once(m_endingComposition, true);
        if (QInputMethod* method = QGuiApplication::inputMethod())
            method->commit();
        hidePreedit();
    }
    m_composing = false;
}

void DocumentBox::abandonComposition()
{
    if (m_inInputMethod || m_endingComposition || m_preeditAt.isNull())
        return;
    const QTextBlock block = m_preeditAt.block();
    const QTextCursor caret = textCursor();
    if (!caret.hasSelection() && caret.position() == m_preeditAt.position()
        && block.layout()->preeditAreaPosition() == caret.position() - block.position())
        return;
    hidePreedit();
    m_composing = false;
    if (QInputMethod* method = QGuiApplication::inputMethod())
        method->reset();
}

QVariant DocumentBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImSurroundingText:
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition:
    case Qt::ImTextBeforeCursor:
    case Qt::ImTextAfterCursor:
    case Qt::ImCurrentSelection:
    case Qt::ImAbsolutePosition:
        break;
    default:
        return QPlainTextEdit::inputMethodQuery(query);
    }
    // The caret's line as the text has it, without the document's separators.
    const TextRange selected = selection();
    const auto [start, end] = m_model->lineAround(selected.position, kSurroundingText);
    switch (query) {
    case Qt::ImSurroundingText:
        return m_model->text(start, end);
    case Qt::ImCursorPosition:
        return int(selected.position - start);
    case Qt::ImAnchorPosition:
        return int(qBound(start, selected.anchor, end) - start);
    case Qt::ImTextBeforeCursor:
        return m_model->text(start, selected.position);
    case Qt::ImTextAfterCursor:
        return m_model->text(selected.position, end);
    case Qt::ImCurrentSelection:
        return m_model->text(selected.start(), selected.end(), u"\n");
    default:
        return int(selected.position);
    }
}
