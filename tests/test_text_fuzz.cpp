// Random edits through every way the box takes them, checked after each step against a plain
// string that had the same edits made to it: the text, the caret, the changes the model reports,
// and the undo steps by the rule for typed runs. VORNIK_FUZZ_SEED replays a run;
// VORNIK_FUZZ_STEPS sets how many steps each page gets.
#include "convert/text_conversions.h"
#include "jtext/character_references.h"
#include "jtext/width_and_kana.h"
#include "model/line_holding.h"
#include "text_fuzz_input.h"
#include "text_fuzz_oracle.h"
#include "site/shown_page.h"
#include "ui/document_box.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

class Fuzz : public FuzzBook {
public:
    Fuzz(DocumentBox& box, quint32 seed) : FuzzBook(box), m_random(seed)
    {
        // The fuzzer's own clock: typed runs end after a pause it chooses.
        model().setClock([this] { return m_now; });
        QObject::connect(&model(), &TextModel::changed, &m_box,
                         [this](qsizetype at, qsizetype removed, qsizetype added) { m_reports.append({at, removed, added}); });
    }

    // Runs `steps` random steps; false (with the step named) at the first difference.
    bool run(int steps, QString* failure)
    {
        m_states = {text()};
        m_carets = {{}};
        for (int i = 0; i < steps; ++i) {
            const QString before = text();
            const int stepsBefore = undoSteps();
            const TextRange sel = m_box.selection();
            m_now += below(10) == 0 ? EditHistory::kRunPauseMs + below(500) : below(200);
            m_reports.clear();
            QString what = step();
            m_log.append(QStringLiteral("%1 [%2,%3) undo %4->%5").arg(what).arg(sel.start()).arg(sel.end()).arg(stepsBefore).arg(undoSteps()));
            if (what.startsWith(u'!')) {
                *failure = QStringLiteral("step %1: %2\n  %3").arg(i).arg(what, m_log.mid(qMax<qsizetype>(0, m_log.size() - 12)).join("\n  "));
                return false;
            }
            if (!check(what, failure) || !reportsExplain(before, text(), failure)) {
                *failure = QStringLiteral("step %1 (%2), text was %3 long: %4\n  %5")
                               .arg(i).arg(what).arg(before.size()).arg(*failure, m_log.mid(qMax<qsizetype>(0, m_log.size() - 12)).join("\n  "));
                return false;
            }
        }
        while (model().isUndoAvailable())
            m_box.undoStep();
        if (text() != m_states.first()) {
            *failure = QStringLiteral("undoing everything did not give the page back");
            return false;
        }
        while (model().isRedoAvailable())
            m_box.redoStep();
        // Redo goes to the end of the history, past steps undone at the end of the run.
        if (text() != m_states.last()) {
            *failure = QStringLiteral("redoing everything did not give the last text");
            return false;
        }
        return true;
    }

private:
    TextModel& model() const { return m_box.model(); }
    Document m_document; // the page shown, for the folder window's replace

    int below(int n) { return n <= 0 ? 0 : int(m_random.bounded(quint32(n))); }

    // A place in the box, often at or beside a block's edge, where soft breaks and groups are.
    int boxPlace()
    {
        QTextDocument* doc = m_box.document();
        const int end = doc->characterCount() - 1;
        if (below(3) == 0)
            return outsidePair(below(end + 1));
        const QTextBlock block = doc->findBlockByNumber(below(doc->blockCount()));
        return outsidePair(qBound(0, block.position() + below(5) - 2, end));
    }

    // The caret never stands inside a surrogate pair: the box steps over pairs whole.
    int outsidePair(int boxPosition) const
    {
        QTextCursor c(m_box.document());
        c.setPosition(boxPosition);
        c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        const QString next = c.selectedText();
        return !next.isEmpty() && next[0].isLowSurrogate() ? boxPosition - 1 : boxPosition;
    }

    QString randomText()
    {
        static const QStringList pieces = {"a", "<p>", "</p>", "\n", "\r\n", "日本", " ", "\t",
                                           QString(QChar(0x2028)), QString(QChar(0x00A0)),
                                           QString::fromUcs4(U"\U0001F600"), "&amp;", "x\ny", "かな", "カナ", "Ａ１＜"};
        QString s;
        for (int n = below(4) + 1; n > 0; --n)
            s += pieces[below(int(pieces.size()))];
        return s;
    }

    // Makes one random edit on the box and the same on the expected text.
    QString step()
    {
        if (below(4) == 0) {
            const TextRange was = m_box.selection();
            QTextCursor c(m_box.document());
            c.setPosition(boxPlace());
            c.setPosition(below(2) ? c.position() : boxPlace(), QTextCursor::KeepAnchor);
            m_box.setTextCursor(c);
            placed(was);
        }
        const TextRange sel = m_box.selection();
        const int stepsBefore = undoSteps();
        // What the step should do to the history and the caret, by the fuzzer's own rule: an
        // edit is a step of its own unless it goes on the run being typed; undone, the caret
        // stands after the text restored; done, after the text put in.
        Expect exp;
        const auto simple = [&](qsizetype from, qsizetype to, qsizetype addedLength, Run::Kind run = Run::None) {
            exp = {true, run, to, from + addedLength};
        };
        m_input.mustAddStep = false;
        QString expected = m_states[m_at];
        // The selection replaced by `with`, as a step of its own unless `run` says otherwise.
        const auto replaced = [&](const QString& with, Run::Kind run = Run::None) {
            const QString put = QString(with).replace("\r\n", "\n");
            expected.replace(sel.start(), sel.end() - sel.start(), put);
            simple(sel.start(), sel.end(), put.size(), run);
        };
        QString what;
        const int kind = below(50);
        switch (kind < 23 ? kind : kind % 14) {
        case 0: {
            const QString typed = QStringList{"a", "<", ">", "日", " ", "/"}[below(6)];
            QKeyEvent e(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, typed);
            QApplication::sendEvent(&m_box, &e);
            const QString put = typed == u"/" ? slashTyped(text(), QString(expected).remove(sel.start(), sel.end() - sel.start()), sel.start(), m_help) : typed;
            if (put.isEmpty())
                return "!a typed / put in something else";
            replaced(put, put == typed ? Run::Typing : Run::None);
            what = "type " + typed;
            break;
        }
        case 1: {
            // With the help on, the blanks before the caret on its line come along; a line
            // longer than a keystroke looks back is not modelled.
            const qsizetype lineStart = expected.lastIndexOf(u'\n', sel.start() - 1) + 1;
            const bool indent = m_help && sel.start() - lineStart < 32 * 1024;
            m_box.setTypingHelp({indent, m_help});
            QTest::keyClick(&m_box, Qt::Key_Return);
            m_box.setTypingHelp({m_help, m_help});
            // The blanks that begin the line, up to the caret.
            qsizetype blanks = lineStart;
            while (indent && blanks < sel.start() && QStringView(u" \t\u3000").contains(expected[blanks]))
                ++blanks;
            replaced("\n" + expected.mid(lineStart, blanks - lineStart));
            what = indent ? "Enter, indented" : "Enter";
            break;
        }
        case 2:
            QTest::keyClick(&m_box, Qt::Key_Return, Qt::ShiftModifier);
            replaced("\n");
            what = "Shift+Enter";
            break;
        case 3:
        case 4: {
            const bool back = below(2);
            QTest::keyClick(&m_box, back ? Qt::Key_Backspace : Qt::Key_Delete);
            what = back ? "Backspace" : "Delete";
            if (!sel.isEmpty()) {
                replaced({});
            } else {
                // One character, a surrogate pair being one; a line break taken ends a run.
                const qsizetype at = sel.position;
                const auto pairAt = [&](qsizetype i) {
                    return i >= 0 && i + 1 < expected.size() && expected[i].isHighSurrogate() && expected[i + 1].isLowSurrogate();
                };
                const qsizetype from = back ? at - 1 - pairAt(at - 2) : at;
                const qsizetype n = back ? 1 + pairAt(at - 2) : 1 + pairAt(at);
                if (back ? at > 0 : at < expected.size()) {
                    const bool lineBreak = expected[from] == u'\n';
                    expected.remove(from, n);
                    const Run::Kind run = lineBreak ? Run::None : back ? Run::Backspace : Run::Delete;
                    simple(from, from + n, 0, run);
                }
            }
            break;
        }
        case 5: {
            // Word deletions: the words are the box's; the text must lose a stretch at the caret.
            const bool back = below(2);
            QTest::keyClick(&m_box, back ? Qt::Key_Backspace : Qt::Key_Delete, Qt::ControlModifier);
            what = back ? "Ctrl+Backspace" : "Ctrl+Delete";
            const QString now = text();
            const qsizetype lost = expected.size() - now.size();
            const qsizetype from = !sel.isEmpty() ? sel.start() : back ? sel.position - lost : sel.position;
            if (lost < 0 || from < 0 || QString(expected).remove(from, lost) != now
                || (sel.isEmpty() && lost == 0 && (back ? sel.position > 0 : sel.position < expected.size())))
                return "!" + what + " took the wrong text";
            expected = now;
            if (lost > 0)
                simple(from, from + lost, 0);
            break;
        }
        case 6:
            QTest::keyClick(&m_box, Qt::Key_Tab);
            replaced("\t", Run::Typing);
            what = "Tab";
            break;
        case 7:
        case 8:
        case 19:
        case 20: {
            const int which = kind < 23 ? kind : kind % 14;
            what = which == 7 ? m_input.composeAndCommit(sel, expected)
                : which == 8  ? m_input.composeAndLeave(sel, expected)
                : which == 19 ? m_input.dragInside(sel, expected)
                              : m_input.dropOrDragOut(sel, expected);
            // An input method's event or a press of the mouse ends the run being typed.
            if (what != u"nothing to drag" && what != u"no selection")
                m_run = {};
            break;
        }
        case 9: {
            const QString pasted = randomText();
            QGuiApplication::clipboard()->setText(pasted);
            QTest::keyClick(&m_box, Qt::Key_Insert, Qt::ShiftModifier);
            replaced(pasted);
            what = "paste";
            break;
        }
        case 10: {
            // A markup command or a text sent in: the one replace-selection operation.
            const QString wrapped = "<b>" + m_box.readSelection() + "</b>" + (below(2) ? "\r\n" : "");
            m_box.replaceSelection(wrapped);
            replaced(wrapped);
            what = "wrap";
            break;
        }
        case 11: {
            // Replacing throughout the selection, as replace-all does.
            TextChanges changes;
            const qsizetype length = sel.end() - sel.start();
            const QString selected = expected.mid(sel.start(), length);
            const auto inPair = [&](qsizetype at) { return at > 0 && at < length && selected[at].isLowSurrogate(); };
            for (qsizetype at = below(8); at < length; at += below(40) + 2) {
                qsizetype n = qMin<qsizetype>(below(3), length - at);
                at += inPair(at);
                n = qMin(n + inPair(at + n), length - at);
                if (at >= length)
                    break;
                changes.append({at, n, below(2) ? "\n" : "Z"});
                at += n;
            }
            m_box.replaceSelection(changes);
            qsizetype shift = 0;
            for (qsizetype i = changes.size() - 1; i >= 0; --i) {
                expected.replace(sel.start() + changes[i].start, changes[i].length, changes[i].text);
                shift += changes[i].text.size() - changes[i].length;
            }
            if (!changes.isEmpty()) {
                // Undone, the caret goes after the last stretch restored; done, after its new text.
                const TextChange& last = changes.last();
                const qsizetype oldEnd = sel.start() + last.start + last.length;
                exp = {true, Run::None, oldEnd, oldEnd + shift};
                exp.selection = {sel.end() + shift, sel.end() + shift}; // the replace itself: after the range
            }
            what = QStringLiteral("replace %1").arg(changes.size());
            break;
        }
        case 12:
        case 13: {
            const bool undo = below(3) > 0;
            for (int n = below(4) + 1; n > 0; --n) {
                qsizetype caret = -1;
                if (undo && model().isUndoAvailable()) {
                    m_box.undoStep();
                    caret = m_carets[m_at--].undo;
                    m_run = {};
                } else if (!undo && model().isRedoAvailable()) {
                    m_box.redoStep();
                    caret = m_carets[++m_at].redo;
                    m_run = {};
                }
                const TextRange now = m_box.selection();
                if (caret >= 0 && (now.anchor != caret || now.position != caret))
                    return QStringLiteral("!%1 left the caret at [%2,%3), not at %4")
                        .arg(undo ? "undo" : "redo").arg(now.anchor).arg(now.position).arg(caret);
            }
            return undo ? "undo" : "redo";
        }
        case 14: {
            // A long stretch deleted keeps the page from only growing.
            qsizetype end = qMin<qsizetype>(sel.position + below(100000), expected.size());
            end -= end < expected.size() && end > sel.position && expected[end].isLowSurrogate();
            if (end == sel.position)
                return "nothing to delete";
            m_box.select(sel.position, end);
            QTest::keyClick(&m_box, Qt::Key_Delete);
            expected.remove(sel.position, end - sel.position);
            simple(sel.position, end, 0);
            m_run = {};
            what = "long delete";
            break;
        }
        case 16:
            m_help = !m_help;
            m_box.setTypingHelp({m_help, m_help});
            return m_help ? "help on" : "help off";
        case 17: {
            // "/" typed after a '<' already there, where a closing tag may be completed.
            const qsizetype lt = expected.lastIndexOf(u'<', sel.start() - 1);
            if (lt < 0)
                return "no <";
            m_box.select(lt + 1, lt + 1);
            placed(sel);
            QTest::keyClicks(&m_box, "/");
            const QString put = slashTyped(text(), expected, lt + 1, m_help);
            if (put.isEmpty())
                return "!a typed / put in something else";
            expected.insert(lt + 1, put);
            exp = {true, put == u"/" ? Run::Typing : Run::None, lt + 1, lt + 1 + put.size()};
            what = "type / after <";
            break;
        }
        case 18: {
            // A conversion of the selection, line by line; expected by the fuzzer's own rule for it.
            using Convert = jtext::Conversion (*)(QStringView);
            const bool small = sel.end() - sel.start() < 5000;
            const int which = small ? below(6) : below(2);
            const Convert convert = QList<Convert>{
                jtext::hiraganaToKatakana, jtext::katakanaToHiragana, jtext::halfWidthToFullWidth,
                jtext::fullWidthToHalfWidth, [](QStringView t) { return jtext::toCharacterReferences(t); },
                [](QStringView t) { return jtext::fromCharacterReferences(t); }}[which];
            convertSelection(m_box, convert);
            const QString original = expected.mid(sel.start(), sel.end() - sel.start());
            const QString converted = convertedByRule(FuzzConversion(which), original);
            replaced(converted);
            exp.edit = converted != original;
            // Which stretches it changed is the conversion's business: the carets of its undo
            // and redo are not checked, and it leaves the converted text selected.
            exp.known = false;
            exp.selection = {sel.start(), sel.start() + converted.size()};
            what = "convert";
            break;
        }
        case 21: {
            // The whole page replaced as one step (a copy restored, the file read again in
            // another encoding): the caret goes where the two texts first differ.
            QString page = expected;
            const auto outside = [&](qsizetype i) { return i - (i > 0 && i < page.size() && page[i].isLowSurrogate()); };
            const qsizetype at = outside(below(int(page.size() + 1)));
            if (below(2))
                page.remove(at, outside(qMin(page.size(), at + below(100))) - at);
            page.insert(at, randomText().replace("\r\n", "\n"));
            qsizetype first = 0;
            while (first < page.size() && first < expected.size() && page[first] == expected[first])
                ++first;
            model().replaceWholePage(QString(page).replace(u'\n', "\r\n"));
            expected = page;
            exp = {page != m_states[m_at], Run::None, first, first};
            m_run = {};
            what = "whole page";
            break;
        }
        case 22: {
            // すべて置換 of the folder window on the page shown: every match, left to right.
            const qsizetype at = below(int(expected.size()));
            const QString pattern = expected.mid(at, below(2) + 2);
            // A common pattern would make every later step slow, not the check stronger.
            if (pattern.size() < 2 || pattern.contains(u'\n') || pattern.front().isLowSurrogate()
                || pattern.back().isHighSurrogate() || expected.count(pattern) > 40)
                return "no pattern";
            const QString with = QStringList{"", "Q", "日\n本"}[below(3)];
            TextSearch search(pattern, {true, false, false});
            search.setReplacement(with);
            PageInBox(m_document, &m_box).replaceAll(search);
            QString out;
            qsizetype from = 0;
            for (qsizetype hit = expected.indexOf(pattern); hit >= 0; hit = expected.indexOf(pattern, from)) {
                out += expected.mid(from, hit - from) + with;
                from = hit + pattern.size();
            }
            expected = out + expected.mid(from);
            what = "folder replace";
            m_run = {};
            break;
        }
        default: {
            // A long paste: lines too long to lay out whole arrive or are joined.
            const QString pasted = QString(below(2) ? 120000 : 60000, u'w');
            m_box.replaceSelection(pasted);
            replaced(pasted);
            what = "long text";
            break;
        }
        }
        if (!what.startsWith(u'!') && m_input.mustAddStep && undoSteps() == stepsBefore && expected != m_states[m_at])
            return "!" + what + " was joined to the step before it";
        return recorded(what, expected, exp, sel, stepsBefore, below(4) > 0);
    }

    bool check(const QString& what, QString* failure)
    {
        const QString now = text();
        if (m_at < 0 || now != m_states.value(m_at)) {
            const QString want = m_states.value(m_at);
            qsizetype i = 0;
            while (i < now.size() && i < want.size() && now[i] == want[i])
                ++i;
            *failure = QStringLiteral("text differs at %1: is \"%2\", should be \"%3\"")
                           .arg(i).arg(now.mid(qMax<qsizetype>(0, i - 10), 30), want.mid(qMax<qsizetype>(0, i - 10), 30));
            return false;
        }
        if (model().strayChanges() > 0) {
            *failure = "a change went around the edit path";
            return false;
        }
        if (!readsWhole(model(), now, failure))
            return false;
        if (below(8) == 0) {
            // Lines as the text has them: counted, found from a place and started where they start.
            const qsizetype at = below(int(now.size() + 1));
            const int line = int(QStringView(now).left(at).count(u'\n')) + 1;
            const qsizetype start = at == 0 ? 0 : now.lastIndexOf(u'\n', at - 1) + 1;
            if (model().lineCount() != now.count(u'\n') + 1 || model().lineAt(at) != line
                || (below(8) == 0 && model().lineStart(line) != start)) {
                *failure = QStringLiteral("lines: %1 counted, %2 in the text; line %3 at %4, said %5")
                               .arg(model().lineCount()).arg(now.count(u'\n') + 1).arg(line).arg(at).arg(model().lineAt(at));
                return false;
            }
        }
        return true;
    }

    QRandomGenerator m_random;
    bool m_help = false;      // indentation and closing tags
    FuzzInput m_input{m_box, [this](int n) { return below(n); }, [this] { return randomText(); },
                      [this] { return boxPlace(); }};
    QStringList m_log;
};

}

class TextFuzzTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void randomEditsKeepTheText_data()
    {
        QTest::addColumn<QString>("page");
        QTest::newRow("plain") << QString("<html>\r\n<body>\r\n<p>日本語</p>\r\n</body>\r\n</html>\r\n");
        QTest::newRow("many lines") << manyLines();
        QTest::newRow("long line") << longLine();
        QTest::newRow("own separators") << ownSeparators();
    }
    void randomEditsKeepTheText()
    {
        QFETCH(QString, page);
        const int steps = qEnvironmentVariableIsSet("VORNIK_FUZZ_STEPS") ? qEnvironmentVariableIntValue("VORNIK_FUZZ_STEPS") : 10000;
        const quint32 seed = qEnvironmentVariableIsSet("VORNIK_FUZZ_SEED")
            ? qgetenv("VORNIK_FUZZ_SEED").toUInt()
            : quint32(qHash(QString::fromLatin1(QTest::currentDataTag())));
        TextModel model;
        DocumentBox box(model);
        box.resize(600, 400);
        box.show(); // drags and drops are aimed at what it shows
        box.setDocumentText(page);
        QCOMPARE(box.documentText(), page);
        Fuzz fuzz(box, seed);
        QString failure;
        if (!fuzz.run(steps, &failure))
            QFAIL(qPrintable(QStringLiteral("seed %1: %2").arg(seed).arg(failure)));
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TextFuzzTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_text_fuzz.moc"
