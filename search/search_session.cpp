#include "search/search_session.h"

#include "ui/busy_pointer.h"
#include "ui/document_box.h"

SearchSession* SearchSession::of(DocumentBox* box)
{
    if (auto* existing = box->findChild<SearchSession*>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new SearchSession(box);
}

SearchSession::SearchSession(DocumentBox* box) : QObject(box), m_box(box), m_model(box->model())
{
    setObjectName(QStringLiteral("searchSession"));
    connect(&m_model, &TextModel::changed, this, &SearchSession::textChanged);
}

bool SearchSession::keepToSelection()
{
    const TextRange selection = m_box->selection();
    if (selection.isEmpty()) {
        searchWholeDocument();
        return false;
    }
    m_scopeStart = selection.start();
    m_scopeEnd = selection.end();
    return true;
}

void SearchSession::searchWholeDocument()
{
    m_scopeStart = m_scopeEnd = -1;
}

void SearchSession::textChanged(qsizetype position, qsizetype removed, qsizetype added)
{
    // The copy is kept; an edit only marks how much of its front and back still hold, so
    // the next find reads just the stretch between them out of a large page.
    if (m_textValid) {
        const qsizetype oldLength = m_model.length() - added + removed;
        m_sameFront = qMin(m_sameFront, position);
        m_sameBack = qMin(m_sameBack, qMax(qsizetype(0), oldLength - position - removed));
    }
    if (!keepsToSelection())
        return;
    // The range moves with the text, as a cursor in it would.
    const auto moved = [&](qsizetype at, bool afterInsertion) {
        if (at < position || (at == position && (removed > 0 || !afterInsertion)))
            return at;
        if (at >= position + removed)
            return at + added - removed;
        return afterInsertion ? position + added : position;
    };
    m_scopeStart = moved(m_scopeStart, false);
    m_scopeEnd = moved(m_scopeEnd, true);
}

QStringView SearchSession::text()
{
    const qsizetype length = m_model.length();
    if (m_textValid && (m_sameFront < m_text.size() || m_sameBack < m_text.size())) {
        const qsizetype front = qMin(m_sameFront, m_text.size());
        const qsizetype back = qMin(m_sameBack, m_text.size() - front);
        if (front + back <= length)
            m_text.replace(front, m_text.size() - front - back, m_model.text(front, length - back, u"\n"));
        m_textValid = m_text.size() == length; // otherwise the changes were not what they said
    }
    if (!m_textValid) {
        m_text = m_model.text(0, length, u"\n");
        m_textValid = true;
    }
    m_sameFront = m_sameBack = m_text.size();
    return m_text;
}

SearchRange SearchSession::range()
{
    const qsizetype size = text().size();
    if (!keepsToSelection())
        return {0, size};
    const qsizetype start = qMin(m_scopeStart, size);
    return {start, qBound(start, m_scopeEnd, size)};
}

std::optional<TextSearch> SearchSession::prepare(Outcome* failure) const
{
    if (pattern.isEmpty()) {
        failure->kind = Outcome::NoPattern;
        return std::nullopt;
    }
    TextSearch search(pattern, options);
    search.setReplacement(replacement);
    if (!search.isValid()) {
        // A find needs only the pattern; a wrong replacement matters when replacing.
        const TextSearch patternOnly(pattern, options);
        failure->kind = Outcome::Invalid;
        failure->error = search.errorText();
        if (!patternOnly.isValid())
            return std::nullopt;
    }
    return search;
}

void SearchSession::select(const TextMatch& match)
{
    m_box->select(match.start, match.end());
}

SearchSession::Outcome SearchSession::find(SearchDirection direction)
{
    Outcome outcome;
    const std::optional<TextSearch> search = prepare(&outcome);
    if (!search)
        return outcome;
    const TextRange caret = m_box->selection();
    const qsizetype from = direction == SearchDirection::Forward ? caret.end() : caret.start();
    const QStringView searched = text();
    const std::optional<FoundMatch> found = search->find(searched, from, direction, range());
    outcome = Outcome();
    if (!found)
        return outcome;
    select(found->match);
    outcome.kind = found->wrapped ? Outcome::Wrapped : Outcome::Found;
    return outcome;
}

SearchSession::Outcome SearchSession::replaceOne()
{
    Outcome outcome;
    const std::optional<TextSearch> search = prepare(&outcome);
    if (!search || outcome.kind == Outcome::Invalid)
        return outcome;
    const TextRange caret = m_box->selection();
    if (const auto replaced = search->replacementAt(text(), caret.start(), caret.end())) {
        m_box->replaceSelection(*replaced);
        outcome = find(SearchDirection::Forward);
        outcome.count = 1;
        return outcome;
    }
    return find(SearchDirection::Forward);
}

SearchSession::Outcome SearchSession::replaceAll()
{
    Outcome outcome;
    const std::optional<TextSearch> search = prepare(&outcome);
    if (!search || outcome.kind == Outcome::Invalid)
        return outcome;
    BusyPointer busy;
    const SearchRange scope = range();
    const ReplacedStretch replaced = search->replaceAll(text(), scope);
    if (replaced.count == 0)
        return outcome;
    // The whole stretch from the first match to the last is one edit of the model, so one
    // Ctrl+Z takes it back; the caret goes after it.
    const qsizetype end = m_model.replace(replaced.start, replaced.end, replaced.changes);
    m_box->select(end, end);
    if (keepsToSelection()) {
        // The range now ends where the replaced stretch and what followed it end.
        qsizetype newEnd = scope.end;
        for (const TextChange& change : replaced.changes)
            newEnd += change.text.size() - change.length;
        m_scopeStart = scope.start;
        m_scopeEnd = newEnd;
    }
    outcome.kind = Outcome::Replaced;
    outcome.count = replaced.count;
    return outcome;
}
