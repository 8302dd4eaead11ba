#pragma once

#include "search/text_search.h"

#include <QObject>
#include <QString>

#include <optional>

class DocumentBox;
class TextModel;

// What the search window and the F3 keys share for one document box: the last search, the
// range a selection-only search keeps to, and a copy of the text to search in.
class SearchSession : public QObject {
    Q_OBJECT
public:
    // The session of this box, made on first use.
    static SearchSession* of(DocumentBox* box);

    QString pattern;
    QString replacement;
    SearchOptions options;

    // Selection-only searching keeps to the range selected when it was asked for, as later
    // edits move it. False when nothing is selected.
    bool keepToSelection();
    void searchWholeDocument();
    bool keepsToSelection() const { return m_scopeStart >= 0; }

    struct Outcome {
        enum Kind { Found, Wrapped, NotFound, Replaced, Invalid, NoPattern } kind = NotFound;
        qsizetype count = 0; // replaced
        QString error;       // Invalid: what is wrong
    };
    // Selects the next match from the caret, scrolled into view.
    Outcome find(SearchDirection direction);
    // Replaces the selection when it is a match (as a find left it), then finds the next.
    Outcome replaceOne();
    // Replaces every match in one step of the box's undo.
    Outcome replaceAll();

private:
    explicit SearchSession(DocumentBox* box);
    void textChanged(qsizetype position, qsizetype removed, qsizetype added);
    std::optional<TextSearch> prepare(Outcome* failure) const;
    // The document with one LF per line break, so positions are the box's own.
    QStringView text();
    SearchRange range();
    void select(const TextMatch& match);

    DocumentBox* m_box;
    TextModel& m_model;
    QString m_text;
    bool m_textValid = false;
    qsizetype m_sameFront = 0; // characters at the front and the back of m_text that no
    qsizetype m_sameBack = 0;  // edit has touched since it was read
    qsizetype m_scopeStart = -1; // stays before text inserted at it
    qsizetype m_scopeEnd = -1;   // moves after text inserted at it
};
