#include "model/edit_history.h"

#include "text/line_breaks.h"

namespace {
bool hasBreak(QStringView text)
{
    return linebreak::lineEnd(text, 0) < text.size();
}

// A line break typed, or taken by BackSpace or Delete, ends the run.
bool endsRun(const EditPieces& pieces, EditKind kind)
{
    for (const EditPiece& p : pieces) {
        if (hasBreak(kind == EditKind::Typing ? p.added : p.removed) || hasBreak(p.added))
            return true;
    }
    return false;
}
}

qsizetype EditHistory::textLength(QStringView text)
{
    qsizetype length = text.size();
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == u'\r' && text[i + 1] == u'\n')
            --length;
    }
    return length;
}

EditPieces EditHistory::inverse(const EditPieces& pieces)
{
    EditPieces back;
    back.reserve(pieces.size());
    qsizetype shift = 0;
    for (const EditPiece& p : pieces) {
        back.append({p.start + shift, p.added, p.removed});
        shift += textLength(p.added) - textLength(p.removed);
    }
    return back;
}

bool EditHistory::joins(const EditPieces& pieces, EditKind kind, qint64 now) const
{
    if (!m_runOpen || kind == EditKind::Command || m_done == 0 || m_done != m_steps.size())
        return false;
    const Step& top = m_steps[m_done - 1];
    if (top.kind != kind || top.wholePage || now - top.lastAt >= kRunPauseMs || pieces.size() != 1
        || top.edits.last().size() != 1 || endsRun(pieces, kind))
        return false;
    const EditPiece& last = top.edits.last().first();
    const EditPiece& next = pieces.first();
    switch (kind) {
    case EditKind::Typing:
        return next.removed.isEmpty() && next.start == last.start + textLength(last.added);
    case EditKind::Backspace:
        return next.added.isEmpty() && last.added.isEmpty() && next.start + textLength(next.removed) == last.start;
    case EditKind::Delete:
        return next.added.isEmpty() && last.added.isEmpty() && next.start == last.start;
    case EditKind::Command:
        break;
    }
    return false;
}

void EditHistory::record(EditPieces pieces, EditKind kind, qint64 now, bool join)
{
    const bool runGoesOn = joins(pieces, kind, now);
    if (m_done < m_steps.size()) {
        m_steps.resize(m_done);
        if (m_saved > m_done)
            m_saved = -1;
    }
    if (join && m_done > 0 && !m_steps[m_done - 1].wholePage) {
        Step& top = m_steps[m_done - 1];
        if (m_saved == m_done)
            m_saved = -1;
        top.edits.append(std::move(pieces));
        top.lastAt = now;
        m_runOpen = false;
        return;
    }
    if (runGoesOn) {
        Step& top = m_steps[m_done - 1];
        EditPiece& last = top.edits.last().first();
        EditPiece& next = pieces.first();
        if (kind == EditKind::Typing) {
            last.added += next.added;
        } else if (kind == EditKind::Backspace) {
            last.start = next.start;
            last.removed.prepend(next.removed);
        } else {
            last.removed += next.removed;
        }
        top.lastAt = now;
        return;
    }
    m_runOpen = kind != EditKind::Command && !endsRun(pieces, kind);
    m_steps.append(Step{{std::move(pieces)}, false, QString(), 0, kind, now});
    ++m_done;
}

void EditHistory::recordWholePage(QString before, qsizetype at)
{
    if (m_done < m_steps.size()) {
        m_steps.resize(m_done);
        if (m_saved > m_done)
            m_saved = -1;
    }
    m_steps.append(Step{{}, true, std::move(before), at, EditKind::Command, 0});
    ++m_done;
    m_runOpen = false;
}

void EditHistory::clear()
{
    m_steps.clear();
    m_done = 0;
    m_saved = -1;
    m_runOpen = false;
}
