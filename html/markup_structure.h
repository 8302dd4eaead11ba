#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Questions about the elements of a page: which tag pairs with the one at the caret, which
// element is open at a point, which element surrounds a selection. The text's line breaks are
// LF; positions count UTF-16 units. Each question reads at most `reach` characters either side
// of where it is asked, so a 50 MB page answers as fast as a small one; an element whose other
// tag lies farther away has no partner. Names compare without regard to case; void elements,
// comments, doctypes, server blocks and the text of scripts and style sheets are passed over.
// A tag written "<x/>" closes itself. The text may be only a stretch of the page around the
// caret (reach either side, with LF line breaks); positions then count from its start.
namespace html {

constexpr qsizetype kStructureReach = qsizetype(1) << 20;

struct TextRange {
    qsizetype start = 0;
    qsizetype end = 0; // exclusive
    bool operator==(const TextRange&) const = default;
};

struct TagPair {
    TextRange tag;     // the tag at the caret, from its '<' to after its '>'
    TextRange partner; // the tag it pairs with
};

// With the caret in a start or end tag (from before its '<' to after its '>'; where one tag
// ends and the next begins, the next), that tag and its partner. Tags pair by name, counting
// the tags of the same name between them, so an unclosed <p> elsewhere cannot spoil a pair of
// <div>s. None for a void or self-closed tag, or when the partner is missing.
std::optional<TagPair> partnerTags(QStringView text, qsizetype caret, qsizetype reach = kStructureReach);

struct OpenElement {
    QString name;      // as its start tag spells it
    TextRange startTag;
};

// The innermost element open at `position` (where "</" is being typed: the position of its
// '<'), as a browser would nest them: an end tag closes its element and any left open inside
// it; an end tag with no open element is ignored. None where no element is open, or where the
// position lies inside a tag or a comment.
std::optional<OpenElement> openElementAt(QStringView text, qsizetype position, qsizetype reach = kStructureReach);

// The element (start tag to end tag) around `range`: the innermost one that holds it and is
// not the range itself, so asking again with the answer gives the next one out.
std::optional<TextRange> elementAround(QStringView text, TextRange range, qsizetype reach = kStructureReach);

}
