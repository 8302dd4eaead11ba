#pragma once

// What the text fuzzer expects, kept apart from how it edits: the pages it starts from, the
// run being typed and the carets of undo and redo as its own rule has them, and the check of
// the changes the model reports.
#include "model/line_holding.h"
#include "model/text_model.h"
#include "ui/document_box.h"

#include <QList>
#include <QRegularExpression>
#include <QString>

namespace {

QString manyLines()
{
    QString page;
    for (int i = 0; i <= LineHolding::kGroupFromLines + 100; ++i)
        page += QStringLiteral("<li>%1</li>\r\n").arg(i);
    return page;
}

QString longLine()
{
    QString line = "<html>\r\n";
    while (line.size() < 300000)
        line += QStringLiteral("<p class=\"a\">日本語 %1</p>").arg(line.size());
    return line + "\r\n<end>\r\n";
}

QString ownSeparators()
{
    QString page;
    for (int i = 0; i < 200; ++i)
        page += QStringLiteral("<td>a") + QChar(0x00A0) + "b" + QChar(0x2028) + "c" + QChar(0x2029) + "d</td>\r\n";
    return page;
}

struct FuzzReport {
    qsizetype at, removed, added;
};

// The run being typed, as the fuzzer sees it: its kind, where the caret stands after it, and
// when it last grew.
struct FuzzRun {
    enum Kind { None, Typing, Backspace, Delete } kind = None;
    qsizetype at = -1;
    qint64 last = 0;
};

// Where undo and redo of a step put the caret; -1 where the fuzzer does not know.
struct FuzzCarets {
    qsizetype undo = -1;
    qsizetype redo = -1;
};

struct FuzzExpect {
    bool edit = false; // a step of the history, or the run grown
    FuzzRun::Kind run = FuzzRun::None;
    qsizetype undo = -1;
    qsizetype redo = -1;
    bool known = true;
    TextRange selection{-1, -1}; // when the edit leaves a selection, not a caret
};

// The conversions of the 変換 submenu, in the order the fuzzer picks them, each by its own plain
// rule: which characters it changes and into what.
enum class FuzzConversion { ToKatakana, ToHiragana, ToFullWidth, ToHalfWidth, ToReferences, FromReferences };

inline QString convertedByRule(FuzzConversion kind, const QString& s)
{
    QString out;
    if (kind == FuzzConversion::FromReferences) {
        // The numeric references the other way writes; the fuzzer's text holds no named ones
        // but &amp;, which stays.
        static const QRegularExpression reference(QStringLiteral("&#(x[0-9A-Fa-f]+|[0-9]+);"));
        qsizetype copied = 0;
        for (auto it = reference.globalMatch(s); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            const QString digits = m.captured(1);
            bool ok = false;
            const uint code = digits.startsWith(u'x') ? digits.mid(1).toUInt(&ok, 16) : digits.toUInt(&ok, 10);
            if (!ok || code < 0x20 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) || code == 0x7F)
                continue;
            out += s.mid(copied, m.capturedStart() - copied) + QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
            copied = m.capturedEnd();
        }
        return out + s.mid(copied);
    }
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        switch (kind) {
        case FuzzConversion::ToKatakana:
            out += QChar((c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E ? c + 0x60 : c);
            break;
        case FuzzConversion::ToHiragana:
            out += QChar((c >= 0x30A1 && c <= 0x30F6) || c == 0x30FD || c == 0x30FE ? c - 0x60 : c);
            break;
        case FuzzConversion::ToFullWidth:
            out += QChar(c >= 0x21 && c <= 0x7E ? c + 0xFEE0 : c);
            break;
        case FuzzConversion::ToHalfWidth:
            // Not ＜ ＞ ＆ ＂ ＇, which would become markup.
            out += QChar(c >= 0xFF01 && c <= 0xFF5E && !QStringView(u"＜＞＆＂＇").contains(QChar(c)) ? c - 0xFEE0 : c);
            break;
        default: {
            // Every character past ASCII as "&#x" and its upper-case hex digits; a lone
            // surrogate stays.
            const bool pair = QChar(c).isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate();
            const uint code = pair ? QChar::surrogateToUcs4(c, s[i + 1].unicode()) : c;
            if (code < 0x80 || (QChar(c).isSurrogate() && !pair))
                out += QChar(c);
            else
                out += QStringLiteral("&#x") + QString::number(code, 16).toUpper() + u';';
            i += pair;
        }
        }
    }
    return out;
}

// What a "/" typed at `at` of `base` put in, read from the box (`now`) and checked: a "/", or with
// the help on after a '<', "/", the name of an element opened before it and ">". Which
// element is the typing help's business; that it is one opened earlier is checked here.
// Empty when the box holds anything else.
inline QString slashTyped(const QString& now, const QString& base, qsizetype at, bool help)
{
    const qsizetype n = now.size() - base.size();
    if (n < 1 || QStringView(now).first(at) != QStringView(base).first(at) || QStringView(now).sliced(at + n) != QStringView(base).sliced(at))
        return {};
    const QString put = now.mid(at, n);
    if (put == u"/")
        return put;
    static const QRegularExpression closing(QStringLiteral("^/([^>]+)>$"));
    const QRegularExpressionMatch name = closing.match(put);
    if (!help || at == 0 || base[at - 1] != u'<' || !name.hasMatch())
        return {};
    return base.first(at - 1).contains(u'<' + name.captured(1), Qt::CaseInsensitive) ? put : QString();
}

// Each change reported, made in turn on the text before with stand-ins for what it put in,
// gives the text after: nothing changed unreported, and the lengths add up.
// Read in parts, as a digest reads it, and in whole lines, as an encoder does (every part but
// the last ending with a break), the model's text is `now` with CR LF between lines.
inline bool readsWhole(const TextModel& model, const QString& now, QString* failure)
{
    const QString crlf = QString(now).replace(u'\n', QStringLiteral("\r\n"));
    QString parts;
    QString lines;
    bool partedALine = false;
    const qsizetype partLength = 1 + now.size() / 3 + now.size() % 7;
    model.readText([&parts](const QString& part) { parts += part; }, partLength);
    model.readLines([&](const QString& part) {
        partedALine = partedALine || (lines.size() + part.size() < crlf.size() && !part.endsWith(u'\n'));
        lines += part;
    }, partLength);
    if (parts == crlf && lines == crlf && !partedALine && model.textLength() == crlf.size())
        return true;
    *failure = QStringLiteral("read in parts: %1 characters (%2 in lines%3), %4 said, %5 in the text")
                   .arg(parts.size()).arg(lines.size()).arg(partedALine ? ", a line parted" : "")
                   .arg(model.textLength()).arg(crlf.size());
    return false;
}

inline bool changesExplain(const QList<FuzzReport>& reports, const QString& before, const QString& after)
{
    QString shadow = before;
    constexpr QChar kAny(0xFFFF);
    for (const FuzzReport& r : reports) {
        if (r.at < 0 || r.removed < 0 || r.added < 0 || r.at + r.removed > shadow.size())
            return false;
        shadow.replace(r.at, r.removed, QString(r.added, kAny));
    }
    if (shadow.size() != after.size())
        return false;
    for (qsizetype i = 0; i < shadow.size(); ++i) {
        if (shadow[i] != kAny && shadow[i] != after[i])
            return false;
    }
    return true;
}

// The fuzzer's own history: the text after each step, where undo and redo of each put the
// caret, and the run being typed.
class FuzzBook {
public:
    using Report = FuzzReport;
    using Run = FuzzRun;
    using Carets = FuzzCarets;
    using Expect = FuzzExpect;

    explicit FuzzBook(DocumentBox& box) : m_box(box) {}

protected:
    TextModel& model() const { return m_box.model(); }
    QString text() const { return model().text(0, model().length(), u"\n"); }
    int undoSteps() const { return model().undoCount(); }

    bool reportsExplain(const QString& before, const QString& after, QString* failure) const
    {
        *failure = "the changes reported do not explain the new text";
        return changesExplain(m_reports, before, after);
    }

    // The caret is placed by the fuzzer: a run being typed ends where it moves.
    void placed(const TextRange& before)
    {
        if (m_box.selection().position != before.position)
            m_run = {};
    }

    // Takes the step just made into the fuzzer's own history, checking the undo steps it made
    // and where it left the caret by the rules above.
    // `tryUndo`: where the step is not the fuzzer's to predict, it is undone and redone at once
    // to see that it is exactly one.
    QString recorded(const QString& what, const QString& expected, const Expect& exp, const TextRange& sel,
                     int stepsBefore, bool tryUndo)
    {
        if (what.startsWith(u'!'))
            return what;
        if (exp.edit) {
            const bool joins = exp.run != Run::None && exp.run == m_run.kind && sel.isEmpty() && sel.position == m_run.at
                && m_now - m_run.last < EditHistory::kRunPauseMs;
            if (undoSteps() != stepsBefore + !joins)
                return QStringLiteral("!%1 made %2 undo steps, not %3").arg(what).arg(undoSteps() - stepsBefore).arg(!joins);
            if (joins) {
                // The run grows: undone, its caret is where the run's deletions end.
                m_states[m_at] = expected;
                if (exp.run == Run::Delete)
                    m_carets[m_at].undo += exp.undo - exp.redo;
                m_carets[m_at].redo = exp.redo;
            } else {
                m_states.resize(++m_at + 1);
                m_states[m_at] = expected;
                m_carets.resize(m_at + 1);
                m_carets[m_at] = exp.known ? Carets{exp.undo, exp.redo} : Carets{};
            }
            m_run = exp.run == Run::None ? Run{} : Run{exp.run, exp.redo, m_now};
            const TextRange now = m_box.selection();
            const TextRange want = exp.selection.anchor >= 0 ? exp.selection : TextRange{exp.redo, exp.redo};
            if (now.anchor != want.anchor || now.position != want.position)
                return QStringLiteral("!%1 left the selection at [%2,%3), not [%4,%5)")
                    .arg(what).arg(now.anchor).arg(now.position).arg(want.anchor).arg(want.position);
        } else if (undoSteps() != stepsBefore && !tryUndo) {
            m_run = {};
            m_states.resize(++m_at + 1);
            m_states[m_at] = expected;
            m_carets.resize(m_at + 1);
            m_carets[m_at] = {};
        } else if (undoSteps() != stepsBefore) {
            m_run = {};
            // One step of the history more; what could be redone is gone. It must be exactly
            // one: undone and redone at once, it gives the text before and after.
            m_states.resize(++m_at + 1);
            m_states[m_at] = expected;
            m_carets.resize(m_at + 1);
            m_carets[m_at] = {};
            const QString now = text();
            m_box.undoStep();
            const bool oneStep = text() == m_states[m_at - 1];
            m_box.redoStep();
            if (!oneStep || text() != now)
                return "!" + what + " was not one undo step";
        } else if (expected != m_states[m_at]) {
            m_states[m_at] = expected; // checked next, and a later undo shows the step missing
        }
        return what;
    }

    DocumentBox& m_box;
    qint64 m_now = 0;
    QList<Report> m_reports;
    Run m_run;
    QList<Carets> m_carets;  // for each step of the history
    QList<QString> m_states; // the text after each step of the undo history
    qsizetype m_at = 0;       // the step the box stands at
};

}
