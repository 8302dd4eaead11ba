// The fuzzer's steps through the input method and through drags and drops, each made on the
// box as a platform would send it and on the plain string the fuzzer keeps.
#pragma once

#include "ui/document_box.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextLayout>

#include <functional>

class FuzzInput {
public:
    FuzzInput(DocumentBox& box, std::function<int(int)> below, std::function<QString()> randomText,
              std::function<int()> boxPlace)
        : m_box(box), below(std::move(below)), m_randomText(std::move(randomText)), m_boxPlace(std::move(boxPlace))
    {
    }

    // Set by a step that must be one of its own in the history, never joined to the one before.
    bool mustAddStep = false;

    // The input method's events, as a platform sends them.
    void sendInput(const QString& preedit, const QString& commit = {}, int from = 0, int length = 0,
                   QList<QInputMethodEvent::Attribute> attributes = {})
    {
        if (!preedit.isEmpty()) {
            QTextCharFormat underline;
            underline.setFontUnderline(true);
            attributes += {{QInputMethodEvent::TextFormat, 0, int(preedit.size()), underline},
                           {QInputMethodEvent::Cursor, int(preedit.size()), 1}};
        }
        QInputMethodEvent e(preedit, attributes);
        e.setCommitString(commit, from, length);
        QApplication::sendEvent(&m_box, &e);
    }

    static bool pairAt(const QString& text, qsizetype i)
    {
        return i > 0 && i < text.size() && text[i].isLowSurrogate() && text[i - 1].isHighSurrogate();
    }

    // Whether a pre-edit is left shown anywhere in the box.
    bool preeditLeft() const
    {
        for (QTextBlock b = m_box.document()->begin(); b.isValid(); b = b.next()) {
            if (b.layout() && !b.layout()->preeditAreaText().isEmpty())
                return true;
        }
        return false;
    }

    QString selectionIs(const QString& what, qsizetype anchor, qsizetype position) const
    {
        const TextRange now = m_box.selection();
        if (now.anchor == anchor && now.position == position)
            return what;
        return QStringLiteral("!%1 left the selection at (%2,%3), not (%4,%5)")
            .arg(what).arg(now.anchor).arg(now.position).arg(anchor).arg(position);
    }

    // Pre-edits growing over a few keys, then a commit, which may name a stretch from the
    // caret to replace: the selection and that stretch become the text, as one step.
    QString composeAndCommit(TextRange sel, QString& expected)
    {
        const QStringList stages = {"に", "にほ", "日本"};
        expected.remove(sel.start(), sel.end() - sel.start());
        for (int n = below(3) + 1, i = 0; i < n; ++i) {
            sendInput(stages[i]);
            if (text() != expected)
                return "!a pre-edit changed the text to \"" + text().left(80) + "\"";
        }
        const QString committed = m_randomText();
        int from = 0;
        int length = 0;
        if (below(3) == 0) {
            from = below(7) - 3;
            length = below(4);
            const qsizetype start = qBound<qsizetype>(0, sel.start() + from, expected.size());
            const qsizetype end = qBound<qsizetype>(start, start + length, expected.size());
            if (pairAt(expected, start) || pairAt(expected, end))
                from = length = 0;
        }
        const qsizetype start = qBound<qsizetype>(0, sel.start() + from, expected.size());
        const qsizetype end = qBound<qsizetype>(start, start + length, expected.size());
        sendInput({}, committed, from, length);
        const QString put = QString(committed).replace("\r\n", "\n");
        expected.replace(start, end - start, put);
        mustAddStep = true;
        if (preeditLeft())
            return "!a pre-edit was left after the commit";
        return selectionIs(QStringLiteral("commit %1,%2").arg(from).arg(length), start + put.size(), start + put.size());
    }

    // A composition that ends without a commit: cancelled, or the caret moved by the program
    // (select, or the cursor set), or a selection the input method asks for. Nothing of it
    // stays, and the next commit is a step of its own.
    QString composeAndLeave(TextRange sel, QString& expected)
    {
        const int how = below(4);
        if (how == 3) {
            // A selection counted in the text the input method was shown.
            const QString around = m_box.inputMethodQuery(Qt::ImSurroundingText).toString();
            const qsizetype lineStart = sel.position - m_box.inputMethodQuery(Qt::ImCursorPosition).toInt();
            if (lineStart < 0 || expected.mid(lineStart, around.size()) != QString(around).replace("\r\n", "\n"))
                return "!the input method was shown \"" + around.left(80) + "\"";
            const int from = below(int(around.size()) + 1);
            const int to = below(int(around.size()) + 1);
            if (pairAt(expected, lineStart + from) || pairAt(expected, lineStart + to))
                return "no selection";
            sendInput({}, {}, 0, 0, {{QInputMethodEvent::Selection, from, to - from}});
            return selectionIs("selection by the input method", lineStart + from, lineStart + to);
        }
        sendInput("か");
        if (below(2))
            sendInput("かな");
        expected.remove(sel.start(), sel.end() - sel.start());
        if (how == 0) {
            sendInput({});
            return preeditLeft() ? "!a cancelled pre-edit was left" : selectionIs("cancel", sel.start(), sel.start());
        }
        const qsizetype to = model().toText(m_boxPlace());
        if (how == 1) {
            m_box.select(to, to);
        } else {
            QTextCursor c(m_box.document());
            c.setPosition(model().toBox(to));
            m_box.setTextCursor(c);
            QCoreApplication::processEvents();
            if (to == sel.start())
                sendInput({}); // not moved: the composition goes on until cancelled
        }
        return preeditLeft() ? "!a pre-edit was left where the caret was" : selectionIs("caret moved while composing", to, to);
    }

    // Presses on the selection and drags it; `run` stands for the platform's drag.
    bool drag(const DocumentBox::DragRunner& run)
    {
        QWidget* viewport = m_box.viewport();
        const QPoint at = m_box.cursorRect().center();
        bool ran = false;
        m_box.setDragRunner([&](const QMimeData& mime, Qt::DropActions actions) {
            ran = true;
            return run(mime, actions);
        });
        QMouseEvent press(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &press);
        const QPoint away = at + QPoint(QApplication::startDragDistance() + 5, 0);
        QMouseEvent move(QEvent::MouseMove, away, viewport->mapToGlobal(away), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &move);
        if (!ran) {
            QMouseEvent release(QEvent::MouseButtonRelease, away, viewport->mapToGlobal(away), Qt::LeftButton, {}, {});
            QApplication::sendEvent(viewport, &release);
        }
        m_box.setDragRunner({});
        return ran;
    }

    // A selection of a few characters at the caret, for a drag to take.
    TextRange someSelection(TextRange sel, const QString& expected)
    {
        if (!sel.isEmpty() && sel.end() - sel.start() < 5000)
            return sel;
        qsizetype end = qMin<qsizetype>(sel.position + below(12) + 1, expected.size());
        end += pairAt(expected, end);
        m_box.select(sel.position, end);
        return m_box.selection();
    }

    // What the drop was answered with.
    Qt::DropAction drop(const QMimeData& mime, QPoint at, Qt::DropActions actions, Qt::KeyboardModifiers modifiers)
    {
        QDragEnterEvent enter(at, actions, &mime, Qt::LeftButton, modifiers);
        QApplication::sendEvent(m_box.viewport(), &enter);
        QDropEvent dropped(at, actions, &mime, Qt::LeftButton, modifiers);
        QApplication::sendEvent(m_box.viewport(), &dropped);
        return dropped.isAccepted() ? dropped.dropAction() : Qt::IgnoreAction;
    }

    QPoint somePoint()
    {
        const QSize size = m_box.viewport()->size();
        return {below(size.width()), below(size.height())};
    }

    // A selection dragged to another place in the box: moved, or with Ctrl copied, one step;
    // dropped on itself, nothing.
    QString dragInside(TextRange sel, QString& expected)
    {
        sel = someSelection(sel, expected);
        if (sel.isEmpty())
            return "nothing to drag";
        const QPoint target = somePoint();
        const qsizetype at = m_box.textPositionAt(target);
        const bool copy = below(3) == 0;
        const bool dragged = drag([&](const QMimeData& mime, Qt::DropActions actions) {
            return drop(mime, target, actions, copy ? Qt::ControlModifier : Qt::NoModifier);
        });
        if (!dragged)
            return "no drag";
        const qsizetype start = sel.start();
        const qsizetype n = sel.end() - start;
        const QString moved = expected.mid(start, n);
        mustAddStep = true;
        if (copy) {
            expected.insert(at, moved);
            return selectionIs("drag copied", at, at + n);
        }
        if (at < start) {
            expected.remove(start, n).insert(at, moved);
            return selectionIs("drag moved back", at, at + n);
        }
        if (at > start + n) {
            expected.insert(at, moved).remove(start, n);
            return selectionIs("drag moved on", at - n, at);
        }
        return selectionIs("drag onto itself", sel.anchor, sel.position);
    }

    // A text dropped from another program goes in at the drop point; a selection dragged out
    // to one that takes it with a move leaves the page, one step, and with a copy stays.
    QString dropOrDragOut(TextRange sel, QString& expected)
    {
        mustAddStep = true;
        if (below(2)) {
            const QPoint target = somePoint();
            const qsizetype at = m_box.textPositionAt(target);
            QMimeData mime;
            const QString dropped = m_randomText();
            mime.setText(dropped);
            drop(mime, target, Qt::CopyAction | Qt::MoveAction, Qt::NoModifier);
            const QString put = QString(dropped).replace("\r\n", "\n");
            expected.insert(at, put);
            return selectionIs("text dropped", at, at + put.size());
        }
        sel = someSelection(sel, expected);
        if (sel.isEmpty())
            return "nothing to drag";
        const bool move = below(3) > 0;
        if (!drag([&](const QMimeData&, Qt::DropActions) { return move ? Qt::MoveAction : Qt::CopyAction; }))
            return "no drag";
        if (!move)
            return selectionIs("dragged out, copied", sel.anchor, sel.position);
        expected.remove(sel.start(), sel.end() - sel.start());
        return selectionIs("dragged out, moved", sel.start(), sel.start());
    }

private:
    TextModel& model() const { return m_box.model(); }
    QString text() const { return model().text(0, model().length(), u"\n"); }

    DocumentBox& m_box;
    std::function<int(int)> below;
    std::function<QString()> m_randomText;
    std::function<int()> m_boxPlace;
};
