// The document box's help with typing markup: indentation carried over by Enter, "</"
// completed with the open element's name, and the element around the selection. Each edit is
// one replace of the selection, so the typed key and its help are one undo step.
#include "ui/document_box.h"

#include "html/markup_structure.h"
#include "typing/indentation.h"

namespace {
// How far a keystroke looks around the caret: enough for any page written by hand, and
// typing in a 50 MB page costs no more than in a small one.
constexpr qsizetype kTypingReach = 64 * 1024;
}

void DocumentBox::typeLineBreak(bool indent)
{
    QString typed = QStringLiteral("\n");
    if (indent && m_typingHelp.keepIndentation) {
        // The blanks before the caret, not those after it: Enter at a line's start indents
        // nothing, and the blanks that follow the caret move down with the rest.
        const qsizetype from = selection().start();
        const qsizetype lineStart = m_model->lineAround(from, int(kTypingReach)).first;
        // A line that runs farther back than the reach was not read from its start.
        if (lineStart == 0 || m_model->text(lineStart - 1, lineStart, u"\n") == u"\n")
            typed += leadingBlanks(m_model->text(lineStart, from, u"\n"));
    }
    replaceSelection(typed);
}

void DocumentBox::typeText(const QString& typed)
{
    const TextRange selected = selection();
    const qsizetype from = selected.start();
    TypeOver pending = std::exchange(m_typeOver, {});
    if (typed.size() == 1 && !pending.rest.isEmpty() && selected.isEmpty() && from == pending.at
        && m_model->revision() == pending.revision && typed[0].toLower() == pending.rest[0].toLower()) {
        pending.rest.remove(0, 1); // already there
        m_typeOver = pending;
        return;
    }
    if (typed == u"/" && m_typingHelp.closeTags && from > 0 && m_model->text(from - 1, from) == u"<") {
        const qsizetype stretchStart = qMax<qsizetype>(0, from - 1 - kTypingReach);
        const QString before = m_model->text(stretchStart, from - 1, u"\n");
        if (const std::optional<html::OpenElement> open = html::openElementAt(before, before.size(), kTypingReach)) {
            replaceSelection(u'/' + open->name + u'>');
            m_typeOver = {open->name + u'>', caret(), m_model->revision()};
            return;
        }
    }
    replaceRange(from, selected.end(), typed, EditKind::Typing);
}

bool DocumentBox::selectElement()
{
    const TextRange selected = selection();
    const qsizetype from = qMax<qsizetype>(0, selected.start() - html::kStructureReach);
    const qsizetype to = qMin(m_model->length(), selected.end() + html::kStructureReach);
    const QString stretch = m_model->text(from, to, u"\n");
    const std::optional<html::TextRange> element
        = html::elementAround(stretch, {selected.start() - from, selected.end() - from});
    if (!element)
        return false;
    select(from + element->start, from + element->end);
    return true;
}
