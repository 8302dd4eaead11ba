#pragma once

#include "text/text_change.h"

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringView>

#include <optional>

// Finding and replacing in a text whose line breaks are single LF characters, so that a
// position in it is a position in the document box (one character per line break).
// Nothing here copies the searched text: a find reads it in place, and a replace-all builds
// the replaced stretch in one pass.

struct SearchOptions {
    bool caseSensitive = false;
    bool wholeWord = false;         // neither neighbour of a match is a letter, digit or '_'
    bool regularExpression = false; // ^ and $ at every line; \1 ... \9 in the replacement
};

// The part of the text a search may match in: [start, end).
struct SearchRange {
    qsizetype start = 0;
    qsizetype end = 0;
};

struct TextMatch {
    qsizetype start = -1;
    qsizetype length = 0;
    qsizetype end() const { return start + length; }
    bool operator==(const TextMatch&) const = default;
};

enum class SearchDirection { Forward, Backward };

struct FoundMatch {
    TextMatch match;
    bool wrapped = false; // found only after going round the end (or the start)
};

struct ReplacedStretch {
    qsizetype count = 0;  // matches replaced; 0 means nothing to change
    qsizetype start = 0;  // the stretch of the text that changes: from the first match ...
    qsizetype end = 0;    // ... to the end of the last
    TextChanges changes;  // one per match, its start counted from the stretch's start
};

class TextSearch {
public:
    TextSearch(const QString& pattern, SearchOptions options);

    bool isEmpty() const { return m_pattern.isEmpty(); }
    // The pattern and the replacement can be used; otherwise errorText() says why.
    bool isValid() const { return m_error.isEmpty(); }
    QString errorText() const { return m_error; }

    // The replacement for later replaces. With regular expressions \0 ... \9 stand for the
    // groups, \n for a line break, \t for a tab and \\ for a backslash; otherwise it is taken
    // as it stands. A reference to a group the pattern lacks makes the search invalid.
    void setReplacement(const QString& replacement);

    // The next match from `from` in `direction` inside `range`, going round to the other end
    // when there is none before it. Forward finds a match starting at or after `from`,
    // backward one ending at or before it; an empty match exactly at `from` is passed over,
    // so that finding again moves on.
    std::optional<FoundMatch> find(QStringView text, qsizetype from, SearchDirection direction,
                                   SearchRange range) const;

    // The replacement text when [start, end) is exactly a match, as a find left it selected.
    std::optional<QString> replacementAt(QStringView text, qsizetype start, qsizetype end) const;

    // Every match in `range`, in order, replaced.
    ReplacedStretch replaceAll(QStringView text, SearchRange range) const;

    // A stretch of the pattern that every match holds as it stands (when `asciiCaseless`, but
    // for the case of its ASCII letters), so a quick look for it can pass over text that
    // cannot match. Empty when there is none: a regular expression, a pattern across lines,
    // a caseless pattern of letters alone.
    struct RequiredText {
        QString text;
        bool asciiCaseless = false;
    };
    RequiredText requiredText() const;

private:
    struct Part {
        QString literal;
        int group = -1;
    };
    std::optional<TextMatch> firstFrom(QStringView text, qsizetype from, SearchRange range, bool skipEmptyAtFrom) const;
    std::optional<TextMatch> lastBefore(QStringView text, qsizetype before, SearchRange range) const;
    QRegularExpressionMatch regexMatch(QStringView subject, qsizetype offset, bool anchored = false) const;
    QString expand(const QRegularExpressionMatch& match) const;

    QString m_pattern;
    SearchOptions m_options;
    QRegularExpression m_regex;
    QString m_error;
    QString m_patternError;
    QList<Part> m_replacement;
    QString m_literalReplacement;
};
