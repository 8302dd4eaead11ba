#include "search/search_session.h"

#include "ui/busy_pointer.h"
#include "ui/document_box.h"
#include "ui/soft_breaks.h"

#include <QTextDocument>

SearchSession* SearchSession::of(DocumentBox* box)
{
    if (auto* existing = box->findChild<SearchSession*>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new SearchSession(box);
}

SearchSession::SearchSession(DocumentBox* box) : QObject(box), m_box(box)
{
    setObjectName(QStringLiteral("searchSession"));
}

bool SearchSession::keepToSelection()
{
    watchDocument();
    const QTextCursor selection = m_box->textCursor();
    if (!selection.hasSelection()) {
        searchWholeDocument();
        return false;
    }
    m_scopeStart = QTextCursor(m_box->document());
    m_scopeStart.setPosition(selection.selectionStart());
    m_scopeStart.setKeepPositionOnInsert(true);
    m_scopeEnd = QTextCursor(m_box->document());
    m_scopeEnd.setPosition(selection.selectionEnd());
    return true;
}

void SearchSession::searchWholeDocument()
{
    m_scopeStart = QTextCursor();
    m_scopeEnd = QTextCursor();
}

namespace {
// The box's block separators, and the line separators of grouped lines, as LF.
void toSearchedLineBreaks(QString& text, bool grouped)
{
    for (QChar& c : text) {
        if (c == QChar::ParagraphSeparator || (grouped && c == QChar::LineSeparator))
            c = u'\n';
    }
}

qsizetype documentLength(const QTextDocument* doc)
{
    return doc->characterCount() - 1; // less the paragraph end that is always there
}
}

void SearchSession::watchDocument()
{
    QTextDocument* doc = m_box->document();
    if (m_document == doc)
        return;
    if (m_document)
        disconnect(m_document, nullptr, this, nullptr);
    m_document = doc;
    m_textValid = false;
    m_text.clear();
    searchWholeDocument();
    // The copy is kept; an edit only marks how much of its front and back still hold, so
    // the next find reads just the stretch between them out of a large page.
    connect(doc, &QTextDocument::contentsChange, this, [this](int position, int removed, int added) {
        if (!m_textValid)
            return;
        if (!m_box->softBreaks().mapsOneToOne()) {
            m_textValid = false; // box positions are not text positions there
            return;
        }
        const qsizetype oldLength = documentLength(m_document) - added + removed;
        m_sameFront = qMin(m_sameFront, qsizetype(position));
        m_sameBack = qMin(m_sameBack, qMax(qsizetype(0), oldLength - position - removed));
    });
}

QStringView SearchSession::text()
{
    watchDocument();
    QTextDocument* doc = m_box->document();
    const qsizetype length = documentLength(doc);
    if (m_textValid && (m_sameFront < m_text.size() || m_sameBack < m_text.size())) {
        const qsizetype back = qMin(m_sameBack, m_text.size() - qMin(m_sameFront, m_text.size()));
        const qsizetype front = qMin(m_sameFront, m_text.size());
        if (front + back <= length) {
            QTextCursor changed(doc);
            changed.setPosition(int(front));
            changed.setPosition(int(length - back), QTextCursor::KeepAnchor);
            QString middle = changed.selectedText();
            toSearchedLineBreaks(middle, m_box->softBreaks().grouped());
            m_text.replace(front, m_text.size() - front - back, middle);
        }
        m_textValid = m_text.size() == length; // otherwise the changes were not what they said
    }
    if (!m_textValid && !m_box->softBreaks().mapsOneToOne()) {
        m_text = m_box->softBreaks().text(0, int(length), u"\n");
        m_textValid = true;
    } else if (!m_textValid) {
        m_text = doc->toRawText();
        toSearchedLineBreaks(m_text, m_box->softBreaks().grouped());
        m_textValid = true;
    }
    m_sameFront = m_sameBack = m_text.size();
    return m_text;
}

SearchRange SearchSession::range()
{
    const qsizetype size = text().size();
    if (!keepsToSelection() || m_scopeStart.document() != m_box->document())
        return {0, size};
    const SoftBreaks& soft = m_box->softBreaks();
    const qsizetype start = soft.toText(m_scopeStart.position());
    return {start, qMax(start, soft.toText(m_scopeEnd.position()))};
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
    const SoftBreaks& soft = m_box->softBreaks();
    QTextCursor cursor(m_box->document());
    cursor.setPosition(soft.toBox(match.start));
    cursor.setPosition(soft.toBox(match.end()), QTextCursor::KeepAnchor);
    m_box->setTextCursor(cursor);
    m_box->ensureCursorVisible();
}

SearchSession::Outcome SearchSession::find(SearchDirection direction)
{
    Outcome outcome;
    const std::optional<TextSearch> search = prepare(&outcome);
    if (!search)
        return outcome;
    const QTextCursor caret = m_box->textCursor();
    const qsizetype from = m_box->softBreaks().toText(
        direction == SearchDirection::Forward ? caret.selectionEnd() : caret.selectionStart());
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
    const QTextCursor caret = m_box->textCursor();
    const SoftBreaks& soft = m_box->softBreaks();
    if (const auto replaced = search->replacementAt(text(), soft.toText(caret.selectionStart()),
                                                    soft.toText(caret.selectionEnd()))) {
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
    // The whole stretch from the first match to the last goes through the one
    // replace-selection operation, so the box's undo takes it back in one step.
    const SoftBreaks& soft = m_box->softBreaks();
    QTextCursor stretch(m_box->document());
    stretch.setPosition(soft.toBox(replaced.start));
    stretch.setPosition(soft.toBox(replaced.end), QTextCursor::KeepAnchor);
    m_box->setTextCursor(stretch);
    m_box->replaceSelection(replaced.changes);
    if (keepsToSelection()) {
        // The range now ends where the replaced stretch and what followed it end.
        qsizetype newEnd = scope.end;
        for (const TextChange& change : replaced.changes)
            newEnd += change.text.size() - change.length;
        m_scopeStart.setPosition(soft.toBox(scope.start));
        m_scopeEnd.setPosition(soft.toBox(newEnd));
    }
    outcome.kind = Outcome::Replaced;
    outcome.count = replaced.count;
    return outcome;
}
