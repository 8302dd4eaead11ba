#pragma once

#include <QStringView>

#include <optional>

namespace html {

// One piece of markup: a start or end tag, or something else in angle brackets (a comment,
// a doctype, a server block), which structure queries pass over.
struct Tag {
    enum Kind { Start, End, SelfClosing, Other };
    Kind kind = Other;
    qsizetype start = 0;      // its '<'
    qsizetype end = 0;        // after its '>'
    qsizetype nameStart = 0;
    qsizetype nameLength = 0;
    QStringView name(QStringView text) const { return text.mid(nameStart, nameLength); }
};

// br, img, input, meta ...: elements that never have an end tag.
bool isVoidElement(QStringView name);

// Element names compare without regard to case; they are ASCII, so only ASCII letters fold.
bool sameElementName(QStringView a, QStringView b);

// Reads the tags of [from, limit) in order, skipping the text of scripts and style sheets
// (up to their end tags) as a browser does. Reading starts at `from` as if it were outside
// any markup, so a caller that starts mid-page gets a good guess, not a certainty.
class TagReader {
public:
    TagReader(QStringView text, qsizetype from, qsizetype limit);

    // The next tag, or nothing at the limit. A tag or comment whose end lies beyond the
    // limit is given with `end` -1, and is the last one read.
    std::optional<Tag> next();

private:
    qsizetype tagEnd(qsizetype from, bool& selfClosing) const;
    qsizetype closerEnd(QStringView closer, qsizetype from) const;
    QStringView m_text;
    qsizetype m_pos;
    qsizetype m_limit;
};

}
