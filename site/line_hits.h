#pragma once

#include "site/folder_search.h"
#include "text/text_encoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringMatcher>
#include <QStringView>

// The hits of a search found a line at a time: a quick look for the text every match holds
// (TextSearch::requiredText) finds the lines that may hold one, and only those are searched,
// and, from bytes, read. Line breaks are CR LF, LF or CR, each one break, as the page's lines
// are counted. The hits are those the search finds in the whole text.
class LineHitFinder {
public:
    explicit LineHitFinder(const TextSearch& search);

    // Whether the search has a required text worth looking for. The two below only then;
    // otherwise collectHits searches the whole text.
    bool usable() const { return !m_required.isEmpty(); }
    void collect(QStringView text, FileHits& into) const;
    // Valid UTF-8 (ASCII included), read a line at a time where the required text is.
    void collectUtf8(QByteArrayView bytes, FileHits& into) const;
    // The same for a page that reads through the table of CP932 or EUC-JP (neither has a
    // line break byte inside a character); false, and nothing collected, when the required
    // text has no one form in those bytes.
    bool collectEncoded(QByteArrayView bytes, TextEncoding encoding, FileHits& into) const;

private:
    void collectBytes(QByteArrayView bytes, QByteArrayView required, TextEncoding encoding, FileHits& into) const;
    qsizetype findBytes(QByteArrayView bytes, QByteArrayView required, qsizetype from) const;

    const TextSearch& m_search;
    QString m_required;
    QByteArray m_requiredUtf8;
    bool m_asciiCaseless = false;
    QStringMatcher m_matcher;
};
