#pragma once

#include <QList>
#include <QStringView>

// The colour roles of a page's text, found by a scanner that reads each character once.
//
// The state between two characters is a small number, so the highlighter can keep it per
// block and start anywhere it kept one. Each character's role depends only on the state
// before it and the character itself (never on what follows), so a stretch scanned with the
// state at its start gets the roles it has in the whole page, however the page is cut into
// lines, pieces or groups of lines. The price is small: a '<', '&' or '/' that turns out to
// start nothing keeps the role of what it might have started.
namespace html {

enum class Role : quint8 {
    Plain,              // no colour of its own: the user's font colour
    TagPunctuation,     // < > </ /> <! and the = between a name and its value
    ElementName,
    AttributeName,
    AttributeValue,     // with its quotes
    Comment,            // <!-- ... -->
    Doctype,            // <!DOCTYPE ...> and other <!...> declarations
    CharacterReference, // &amp; &#x3042; &#12354;
    CssComment,
    CssString,
    CssProperty,
    JsComment,
    JsString,           // '...', "...", `...`
    ServerSide,         // <!--#include ...-->, <?php ... ?>, <? ... ?>, <% ... %>
};
constexpr int kRoleCount = int(Role::ServerSide) + 1;

struct RoleRun {
    qsizetype start = 0;
    qsizetype length = 0;
    Role role = Role::Plain;
    bool operator==(const RoleRun&) const = default;
};

// The scanner's state packed into a non-negative int (a block state of -1 means "unknown" to
// the highlighter, so none is negative). 0 is the state at the start of a page.
using ScanState = int;
constexpr ScanState kPageStart = 0;

// How the scanned text ends: at a line break (the break itself is not in the text), or in the
// middle of a line that goes on in the next piece.
enum class TextEnd { LineEnd, Piece };

// Line breaks inside the text (LF, CR, U+2028, U+2029) count as line breaks.
// Appends to `runs` (Plain is left out, and neighbouring runs of one role are joined) and
// returns the state after the text; reusing `runs` saves an allocation per line.
ScanState scan(ScanState start, QStringView text, TextEnd end, QList<RoleRun>& runs);

struct ScanResult {
    QList<RoleRun> runs;
    ScanState end = kPageStart;
};
ScanResult scan(ScanState start, QStringView text, TextEnd end = TextEnd::LineEnd);

}
