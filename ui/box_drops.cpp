// Drags out of the box and drops into it. The box starts its own drags, so that a text moved
// away leaves through the model's edit path, and takes every drop itself: files are opened,
// a text goes in at the drop point, a text dragged inside the box is moved (Ctrl: copied),
// each as one step.
#include "ui/document_box.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>

QStringList DocumentBox::localFiles(const QMimeData* source)
{
    QStringList paths;
    if (!source || !source->hasUrls())
        return paths;
    for (const QUrl& url : source->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    return paths;
}

void DocumentBox::setDragRunner(DragRunner run)
{
    m_dragRunner = std::move(run);
}

qsizetype DocumentBox::textPositionAt(QPointF viewportPoint) const
{
    return m_model->toText(cursorForPosition(viewportPoint.toPoint()).position());
}

void DocumentBox::mousePressEvent(QMouseEvent* e)
{
    endComposition();
    m_model->endTypingRun(); // the hand left the keys: what is typed next is a step of its own
    const TextRange selected = selection();
    const bool thirdClick = m_doubleClicked.isValid() && m_doubleClicked.elapsed() < QApplication::doubleClickInterval();
    if (e->button() == Qt::LeftButton && !(e->modifiers() & Qt::ShiftModifier) && !selected.isEmpty() && !thirdClick) {
        const qsizetype at = textPositionAt(e->position());
        if (at >= selected.start() && at <= selected.end()) {
            // Pressed on the selection: a drag may follow; a release places the caret.
            m_pressedOnSelection = e->position().toPoint();
            e->accept();
            return;
        }
    }
    QPlainTextEdit::mousePressEvent(e);
}

void DocumentBox::mouseMoveEvent(QMouseEvent* e)
{
    if (!m_pressedOnSelection) {
        QPlainTextEdit::mouseMoveEvent(e);
        return;
    }
    e->accept();
    if ((e->buttons() & Qt::LeftButton)
        && (e->position().toPoint() - *m_pressedOnSelection).manhattanLength() >= QApplication::startDragDistance()) {
        m_pressedOnSelection.reset();
        startDrag();
    }
}

void DocumentBox::mouseReleaseEvent(QMouseEvent* e)
{
    if (!m_pressedOnSelection) {
        QPlainTextEdit::mouseReleaseEvent(e);
        return;
    }
    m_pressedOnSelection.reset();
    setTextCursor(cursorForPosition(e->position().toPoint()));
    e->accept();
}

void DocumentBox::mouseDoubleClickEvent(QMouseEvent* e)
{
    m_doubleClicked.start();
    QPlainTextEdit::mouseDoubleClickEvent(e);
}

void DocumentBox::startDrag()
{
    m_model->endTypingRun();
    const TextRange range = selection();
    m_dragged = Dragged{range, m_model->revision(), false};
    QMimeData* mime = createMimeDataFromSelection();
    const Qt::DropActions actions = isReadOnly() ? Qt::CopyAction : Qt::CopyAction | Qt::MoveAction;
    Qt::DropAction action = Qt::IgnoreAction;
    if (m_dragRunner) {
        action = m_dragRunner(*mime, actions);
        delete mime;
    } else {
        auto* drag = new QDrag(this); // deleted by Qt when the drag is over
        drag->setMimeData(mime);
        action = drag->exec(actions, isReadOnly() ? Qt::CopyAction : Qt::MoveAction);
    }
    const Dragged dragged = *m_dragged;
    m_dragged.reset();
    // Moved to another program: the text leaves as a deletion of the model's, unless the page
    // changed while it was dragged (then what was dragged is no longer where it was).
    if (action == Qt::MoveAction && !dragged.droppedInside && !isReadOnly()
        && dragged.revision == m_model->revision())
        replaceRange(range.start(), range.end(), {});
}

void DocumentBox::dragEnterEvent(QDragEnterEvent* e)
{
    if (!localFiles(e->mimeData()).isEmpty()) {
        e->acceptProposedAction();
        return;
    }
    // A text, where the page takes one; the box shows where it would go.
    QPlainTextEdit::dragEnterEvent(e);
}

void DocumentBox::dragMoveEvent(QDragMoveEvent* e)
{
    if (!localFiles(e->mimeData()).isEmpty()) {
        e->acceptProposedAction();
        return;
    }
    QPlainTextEdit::dragMoveEvent(e);
}

void DocumentBox::dropEvent(QDropEvent* e)
{
    m_model->endTypingRun();
    // The box's drop caret goes; its own drop handling would change the document directly.
    QDragLeaveEvent leave;
    QPlainTextEdit::dragLeaveEvent(&leave);
    const QStringList paths = localFiles(e->mimeData());
    if (!paths.isEmpty()) {
        e->acceptProposedAction();
        Q_EMIT filesDropped(paths);
        return;
    }
    const std::optional<QString> text = pastedText(e->mimeData());
    if (!text || isReadOnly()) {
        e->ignore();
        return;
    }
    endComposition();
    const qsizetype at = textPositionAt(e->position());
    if (m_dragged && m_dragged->revision == m_model->revision()) {
        const bool copy = e->modifiers().testFlag(Qt::ControlModifier);
        m_dragged->droppedInside = true;
        e->setDropAction(copy ? Qt::CopyAction : Qt::MoveAction);
        e->accept();
        dropDragged(m_dragged->range, at, copy);
        return;
    }
    e->acceptProposedAction();
    const qsizetype end = m_model->replace(at, at, *text);
    select(at, end);
}

void DocumentBox::dropDragged(TextRange dragged, qsizetype at, bool copy)
{
    const qsizetype start = dragged.start();
    const qsizetype end = dragged.end();
    const qsizetype length = end - start;
    const QString text = m_model->text(start, end);
    if (copy) {
        select(at, m_model->replace(at, at, text));
    } else if (at < start) {
        // A move is one step over the stretch from the one place to the other.
        m_model->replace(at, end, TextChanges{{0, 0, text}, {start - at, length, QString()}});
        select(at, at + length);
    } else if (at > end) {
        m_model->replace(start, at, TextChanges{{0, length, QString()}, {at - start, 0, text}});
        select(at - length, at);
    }
    // Dropped on itself: nothing moves and the selection stays.
}
