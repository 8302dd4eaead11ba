#include "html/html_scan.h"

namespace html {
namespace {

enum Mode : quint8 {
    Text, TagOpen, EndTagOpen, TagName, BeforeAttr, AttrName, AfterAttrName, BeforeValue,
    ValueDq, ValueSq, ValueUnquoted, SelfClosing, Bang, BangDash, Comment, BogusComment,
    Doctype, Include, CharRef, RawText,
};
// Which raw-text element a start tag opens, or whose text is being read.
enum Raw : quint8 { NoRaw, Script, Style, ScriptOrStyle };
// Inside a script or a style sheet; CSS uses all but LineComment and Backtick.
enum Sub : quint8 { Code, Slash, LineComment, BlockComment, BlockCommentStar, Single, Double, Backtick };
// Where a style sheet is: before a block, in an at-rule's prelude, at a property, in a value.
enum CssPlace : quint8 { Selector, AtPrelude, Property, Value };
enum Server : quint8 { NoServer, Php, Asp };

// Field widths of the packed state; 27 bits, so the packed value is never negative.
struct State {
    quint8 mode = Text;     // 5 bits
    quint8 dashes = 0;      // 2: '-' just read in a comment (3: the comment has just opened)
    quint8 raw = NoRaw;     // 2
    bool endTag = false;    // 1
    quint8 matched = 0;     // 4: letters of "script"/"style" in a tag name, or of "</script" in its text
    quint8 sub = Code;      // 3
    bool escape = false;    // 1: a backslash in a string
    quint8 css = Selector;  // 2
    bool inAtBlock = false; // 1: inside @media { ... }, where blocks of rules stand
    bool atDecl = false;    // 1: the at-rule's block holds declarations (@font-face, @page)
    bool atStart = false;   // 1: the at-rule's name starts with the next character
    quint8 server = NoServer; // 2
    bool serverEnd = false; // 1: '?' or '%' just read in a server block
    bool lessThan = false;  // 1: a '<' that may open a server block inside a tag or a value

    static State unpack(ScanState v)
    {
        State s;
        s.mode = v & 31;
        s.dashes = (v >> 5) & 3;
        s.raw = (v >> 7) & 3;
        s.endTag = (v >> 9) & 1;
        s.matched = (v >> 10) & 15;
        s.sub = (v >> 14) & 7;
        s.escape = (v >> 17) & 1;
        s.css = (v >> 18) & 3;
        s.inAtBlock = (v >> 20) & 1;
        s.atDecl = (v >> 21) & 1;
        s.atStart = (v >> 22) & 1;
        s.server = (v >> 23) & 3;
        s.serverEnd = (v >> 25) & 1;
        s.lessThan = (v >> 26) & 1;
        if (s.mode > RawText)
            s.mode = Text; // a stored state from a newer build: start afresh rather than misread
        return s;
    }
    ScanState pack() const
    {
        return mode | dashes << 5 | raw << 7 | int(endTag) << 9 | matched << 10 | sub << 14 | int(escape) << 17
            | css << 18 | int(inAtBlock) << 20 | int(atDecl) << 21 | int(atStart) << 22 | server << 23
            | int(serverEnd) << 25 | int(lessThan) << 26;
    }
};

constexpr char16_t kScriptClose[] = u"</script";
constexpr char16_t kStyleClose[] = u"</style";

bool isLineEnd(char16_t c) { return c == '\n' || c == '\r' || c == 0x2028 || c == 0x2029; }
bool isSpace(char16_t c) { return c == ' ' || c == '\t' || c == '\f' || isLineEnd(c); }
bool isAsciiLetter(char16_t c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
bool isAsciiAlnum(char16_t c) { return isAsciiLetter(c) || (c >= '0' && c <= '9'); }
char16_t lower(char16_t c) { return c >= 'A' && c <= 'Z' ? char16_t(c | 0x20) : c; }

// The name of a start tag has ended: keep `raw` only when it spelled script or style whole.
void endName(State& s)
{
    if (!(s.raw == Script && s.matched == 6) && !(s.raw == Style && s.matched == 5))
        s.raw = NoRaw;
    s.matched = 0;
}

void closeTag(State& s)
{
    if (!s.endTag && (s.raw == Script || s.raw == Style)) {
        s.mode = RawText;
        s.sub = Code;
        s.css = Selector;
        s.inAtBlock = s.atDecl = s.atStart = s.escape = false;
    } else {
        s.mode = Text;
        s.raw = NoRaw;
    }
    s.endTag = false;
    s.matched = 0;
}

Role stringOrComment(const State& s)
{
    const bool js = s.raw == Script;
    switch (s.sub) {
    case Single: case Double: case Backtick: return js ? Role::JsString : Role::CssString;
    case Slash: case LineComment: case BlockComment: case BlockCommentStar: return js ? Role::JsComment : Role::CssComment;
    default: return Role::Plain;
    }
}

// Strings and comments, the same in scripts and style sheets; false when `c` is code.
bool stepStringOrComment(State& s, char16_t c, Role& role)
{
    const bool js = s.raw == Script;
    const Role comment = js ? Role::JsComment : Role::CssComment;
    const Role string = js ? Role::JsString : Role::CssString;
    switch (s.sub) {
    case Code:
        if (c == '/') { s.sub = Slash; role = comment; return true; } // a division gets this colour too
        if (c == '\'' || c == '"' || (js && c == '`')) {
            s.sub = c == '\'' ? Single : c == '"' ? Double : Backtick;
            role = string;
            return true;
        }
        return false;
    case Slash:
        if (c == '*' || (js && c == '/')) { s.sub = c == '*' ? BlockComment : LineComment; role = comment; return true; }
        s.sub = Code;
        return stepStringOrComment(s, c, role);
    case LineComment:
        if (isLineEnd(c)) { s.sub = Code; role = Role::Plain; return true; }
        role = comment;
        return true;
    case BlockComment:
    case BlockCommentStar:
        s.sub = c == '*' ? BlockCommentStar : (s.sub == BlockCommentStar && c == '/') ? Code : BlockComment;
        role = comment;
        return true;
    default: // strings
        if (s.escape) {
            s.escape = false; // an escaped line break continues the string on the next line
        } else if (c == '\\') {
            s.escape = true;
        } else if ((s.sub == Single && c == '\'') || (s.sub == Double && c == '"') || (s.sub == Backtick && c == '`')) {
            s.sub = Code;
        } else if (isLineEnd(c) && s.sub != Backtick) {
            s.sub = Code; // unterminated: the string stops at the line's end
            role = Role::Plain;
            return true;
        }
        role = string;
        return true;
    }
}

Role stepCss(State& s, char16_t c)
{
    Role role = Role::Plain;
    if (stepStringOrComment(s, c, role))
        return role;
    switch (s.css) {
    case Selector:
        if (c == '@') { s.css = AtPrelude; s.atStart = true; s.atDecl = false; }
        else if (c == '{') s.css = Property;
        else if (c == '}') s.inAtBlock = false;
        return Role::Plain;
    case AtPrelude:
        if (s.atStart) {
            s.atStart = false;
            const char16_t l = lower(c);
            s.atDecl = l == 'f' || l == 'p'; // @font-face, @page: declarations; @media and the rest hold rules
        }
        if (c == '{') {
            s.css = s.atDecl ? Property : Selector;
            s.inAtBlock = !s.atDecl;
        } else if (c == ';') {
            s.css = Selector;
        }
        return Role::Plain;
    case Property:
        if (c == ':') { s.css = Value; return Role::Plain; }
        if (c == '}') { s.css = Selector; return Role::Plain; }
        if (c == ';' || c == '{' || isSpace(c)) return Role::Plain;
        return Role::CssProperty;
    default: // Value
        if (c == ';') s.css = Property;
        else if (c == '}') s.css = Selector;
        return Role::Plain;
    }
}

// The text of a script or a style sheet, which ends only at its own end tag.
Role stepRaw(State& s, char16_t c)
{
    const char16_t* close = s.raw == Script ? kScriptClose : kStyleClose;
    const int closeLength = s.raw == Script ? 8 : 7;
    const bool inCode = s.sub == Code || s.sub == Slash;
    if (s.matched > 0) {
        if (s.matched == 1 && (c == '?' || c == '%')) {
            s.matched = 0;
            s.server = c == '?' ? Php : Asp;
            return Role::ServerSide;
        }
        if (s.matched < closeLength && lower(c) == close[s.matched]) {
            ++s.matched;
            return !inCode ? stringOrComment(s) : s.matched <= 2 ? Role::TagPunctuation : Role::ElementName;
        }
        if (s.matched == closeLength && (isSpace(c) || c == '/' || c == '>')) {
            s.mode = TagName;
            s.endTag = true;
            s.raw = NoRaw;
            s.matched = 0;
            s.sub = Code;
            s.escape = false;
            return Role::Plain; // the caller reads `c` again as the end of a tag name
        }
        s.matched = 0;
    }
    if (c == '<') {
        s.matched = 1;
        s.escape = false;
        if (s.sub == Slash)
            s.sub = Code;
        return inCode ? Role::TagPunctuation : stringOrComment(s);
    }
    if (s.raw == Style)
        return stepCss(s, c);
    Role role = Role::Plain;
    stepStringOrComment(s, c, role);
    return role;
}

// One character: its role, and the state moved past it.
Role step(State& s, char16_t c)
{
    if (s.server != NoServer) {
        const bool closes = s.serverEnd && c == '>';
        s.serverEnd = c == (s.server == Php ? '?' : '%');
        if (closes)
            s.server = NoServer;
        return Role::ServerSide;
    }
    if (s.lessThan) {
        s.lessThan = false;
        if (c == '?' || c == '%') {
            s.server = c == '?' ? Php : Asp;
            return Role::ServerSide;
        }
    }
    for (;;) { // a state that cannot take `c` hands it on with `continue`
        switch (s.mode) {
        case Text:
            if (c == '<') { s.mode = TagOpen; return Role::TagPunctuation; }
            if (c == '&') { s.mode = CharRef; return Role::CharacterReference; }
            return Role::Plain;
        case CharRef:
            if (c == '#' || isAsciiAlnum(c)) return Role::CharacterReference;
            s.mode = Text;
            if (c == ';') return Role::CharacterReference;
            continue;
        case TagOpen:
            if (isAsciiLetter(c)) {
                s.mode = TagName;
                s.endTag = false;
                s.raw = lower(c) == 's' ? ScriptOrStyle : NoRaw;
                s.matched = 1;
                return Role::ElementName;
            }
            if (c == '/') { s.mode = EndTagOpen; return Role::TagPunctuation; }
            if (c == '!') { s.mode = Bang; return Role::TagPunctuation; }
            s.mode = Text;
            if (c == '?' || c == '%') {
                s.server = c == '?' ? Php : Asp;
                return Role::ServerSide;
            }
            continue;
        case EndTagOpen:
            if (isAsciiLetter(c)) {
                s.mode = TagName;
                s.endTag = true;
                s.raw = NoRaw;
                return Role::ElementName;
            }
            if (c == '>') { s.mode = Text; return Role::TagPunctuation; }
            s.mode = BogusComment; // as a browser reads "</ x>"
            continue;
        case TagName:
            if (isSpace(c)) { endName(s); s.mode = BeforeAttr; return Role::Plain; }
            if (c == '/') { endName(s); s.mode = SelfClosing; return Role::TagPunctuation; }
            if (c == '>') { endName(s); closeTag(s); return Role::TagPunctuation; }
            if (s.raw == ScriptOrStyle) {
                const char16_t l = lower(c);
                s.raw = l == 'c' ? Script : l == 't' ? Style : NoRaw;
                s.matched = 2;
            } else if (s.raw != NoRaw) {
                const char16_t* name = s.raw == Script ? u"script" : u"style";
                const int length = s.raw == Script ? 6 : 5;
                if (s.matched < length && lower(c) == name[s.matched])
                    ++s.matched;
                else
                    s.raw = NoRaw;
            }
            return Role::ElementName;
        case BeforeAttr:
        case AfterAttrName:
            if (isSpace(c)) return Role::Plain;
            if (c == '/') { s.mode = SelfClosing; return Role::TagPunctuation; }
            if (c == '>') { closeTag(s); return Role::TagPunctuation; }
            if (c == '=' && s.mode == AfterAttrName) { s.mode = BeforeValue; return Role::TagPunctuation; }
            if (c == '<') { s.lessThan = true; return Role::TagPunctuation; }
            s.mode = AttrName;
            return Role::AttributeName;
        case AttrName:
            if (isSpace(c)) { s.mode = AfterAttrName; return Role::Plain; }
            if (c == '=') { s.mode = BeforeValue; return Role::TagPunctuation; }
            if (c == '/' || c == '>') { s.mode = BeforeAttr; continue; }
            return Role::AttributeName;
        case BeforeValue:
            if (isSpace(c)) return Role::Plain;
            if (c == '>') { closeTag(s); return Role::TagPunctuation; }
            s.mode = c == '"' ? ValueDq : c == '\'' ? ValueSq : ValueUnquoted;
            if (s.mode != ValueUnquoted)
                return Role::AttributeValue;
            continue;
        case ValueDq:
        case ValueSq:
            if (c == (s.mode == ValueDq ? '"' : '\'')) s.mode = BeforeAttr;
            else if (c == '<') s.lessThan = true;
            return Role::AttributeValue;
        case ValueUnquoted:
            if (isSpace(c)) { s.mode = BeforeAttr; return Role::Plain; }
            if (c == '>') { closeTag(s); return Role::TagPunctuation; }
            if (c == '<') s.lessThan = true;
            return Role::AttributeValue;
        case SelfClosing:
            if (c == '>') { closeTag(s); return Role::TagPunctuation; }
            s.mode = BeforeAttr;
            continue;
        case Bang:
            if (c == '-') { s.mode = BangDash; return Role::Comment; }
            if (c == '>') { s.mode = Text; return Role::TagPunctuation; }
            s.mode = Doctype;
            continue;
        case BangDash:
            if (c == '-') { s.mode = Comment; s.dashes = 3; return Role::Comment; }
            s.mode = BogusComment;
            continue;
        case Comment:
        case Include:
            if (s.mode == Comment && s.dashes == 3 && c == '#') {
                s.mode = Include;
                s.dashes = 0;
                return Role::ServerSide;
            } else {
                const Role role = s.mode == Comment ? Role::Comment : Role::ServerSide;
                if (c == '>' && s.dashes >= 2) { s.mode = Text; s.dashes = 0; } // "<!-->" closes too, as in browsers
                else s.dashes = c == '-' ? (s.dashes >= 1 ? 2 : 1) : 0;
                return role;
            }
        case BogusComment:
            if (c == '>') s.mode = Text;
            return Role::Comment;
        case Doctype:
            if (c == '>') { s.mode = Text; return Role::TagPunctuation; }
            return Role::Doctype;
        case RawText: {
            const Role role = stepRaw(s, c);
            if (s.mode == TagName)
                continue;
            return role;
        }
        }
        s.mode = Text; // not reached: every mode returns or goes round
    }
}

}

ScanState scan(ScanState start, QStringView text, TextEnd end, QList<RoleRun>& runs)
{
    State s = State::unpack(start);
    Role current = Role::Plain;
    qsizetype runStart = 0;
    const qsizetype n = text.size();
    const char16_t* chars = text.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        const Role role = step(s, chars[i]);
        if (role != current) {
            if (current != Role::Plain)
                runs.append({runStart, i - runStart, current});
            current = role;
            runStart = i;
        }
    }
    if (current != Role::Plain)
        runs.append({runStart, n - runStart, current});
    if (end == TextEnd::LineEnd)
        step(s, u'\n');
    return s.pack();
}

ScanResult scan(ScanState start, QStringView text, TextEnd end)
{
    ScanResult result;
    result.end = scan(start, text, end, result.runs);
    return result;
}

}
