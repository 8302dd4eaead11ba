#include "html/html_scan.h"
#include "html/scan_states.h"

#include <QRandomGenerator>
#include <QTest>

using html::Role;
using html::TextEnd;

namespace {
// One letter per role, in the order of html::Role.
constexpr char kLetters[] = ".teavcdrCSPJjs";
static_assert(sizeof kLetters - 1 == html::kRoleCount);

void paint(QString& letters, qsizetype offset, const QList<html::RoleRun>& runs)
{
    for (const html::RoleRun& run : runs)
        for (qsizetype i = 0; i < run.length; ++i)
            letters[offset + run.start + i] = QLatin1Char(kLetters[int(run.role)]);
}

// The text scanned line by line, the state carried over; line breaks kept as they are.
QString byLines(const QString& text)
{
    QString letters(text.size(), u'.');
    html::ScanState state = html::kPageStart;
    qsizetype start = 0;
    for (const QStringView line : QStringView(text).split(u'\n')) {
        const html::ScanResult r = html::scan(state, line);
        paint(letters, start, r.runs);
        [&] { QVERIFY(r.end >= 0); }();
        state = r.end;
        start += line.size() + 1;
        if (start <= text.size())
            letters[start - 1] = u'\n';
    }
    return letters;
}

// The same text scanned as the box may hold it: in two pieces cut at `cut`, lines joined
// by U+2028 in one block.
QString inTwoPieces(const QString& text, qsizetype cut)
{
    QString joined = text;
    joined.replace(u'\n', QChar(0x2028));
    QString letters(text.size(), u'.');
    QList<html::RoleRun> runs;
    const html::ScanState middle = html::scan(html::kPageStart, QStringView(joined).left(cut), TextEnd::Piece, runs);
    paint(letters, 0, runs);
    runs.clear();
    html::scan(middle, QStringView(joined).mid(cut), TextEnd::LineEnd, runs);
    paint(letters, cut, runs);
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == u'\n')
            letters[i] = u'\n';
    return letters;
}

// Roles: . plain, t tag punctuation, e element, a attribute, v value, c comment, d doctype,
// r reference, C css comment, S css string, P css property, J js comment, j js string,
// s server side. A line break stands in both strings at the same place.
struct Case {
    QString text, roles;
};
}
Q_DECLARE_METATYPE(Case)

class HtmlScanTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roles_data()
    {
        QTest::addColumn<Case>("c");
        QTest::newRow("tag and attributes") << Case{
            R"(<p class="x" id=a>Hi</p>)",
            "te.aaaaatvvv.aatvt..ttet"};
        QTest::newRow("self-closing, a lone <") << Case{
            "<br/><img src=a />a < b",
            "teettteee.aaatv.tt..t.."};
        QTest::newRow("references") << Case{
            "a&amp;b&#x3042;&#12354; & c",
            ".rrrrr.rrrrrrrrrrrrrrrr.r.."};
        QTest::newRow("doctype and comment") << Case{
            "<!DOCTYPE html><!-- x -->y",
            "ttddddddddddddtttcccccccc."};
        QTest::newRow("comment over lines, <!--> closes") << Case{
            "a<!-- one\n<p>two -->b<!-->c",
            ".ttcccccc\ncccccccccc.ttccc."};
        QTest::newRow("tag over lines") << Case{
            "<a\nhref=\"x\"\n>t",
            "te\naaaatvvv\nt."};
        QTest::newRow("unclosed quote runs on") << Case{
            "<a title=\"x>\nstill</a>\">z",
            "te.aaaaatvvv\nvvvvvvvvvvt."};
        QTest::newRow("style") << Case{
            "<style>\np { color: red; }\n/* c */ a{b:\"s\"}\n</style>x",
            "teeeeet\n....PPPPP........\nCCCCCCC...P.SSS.\ntteeeeet."};
        QTest::newRow("style: at-rules") << Case{
            "<style>@media x{a{b:c}}@font-face{src:u}</style>",
            "teeeeet...........P...............PPP...tteeeeet"};
        QTest::newRow("script") << Case{
            "<script>\nvar s = 'a\\'b'; // c\nx = \"</div>\" /* k\n*/ if (a<b) {}\n</script>y",
            "teeeeeet\n........jjjjjj..JJJJ\n....jjjjjjjj.JJJJ\nJJ......t.....\ntteeeeeet."};
        QTest::newRow("script: strings and comments at line ends") << Case{
            "<script>'ab\nc`d\ne`//f\ng</script >",
            "teeeeeetjjj\n.jj\njjJJJ\n.tteeeeee.t"};
        QTest::newRow("script: names in any case, not a longer one") << Case{
            "<SCRIPT>a<b</Script >c<scripts>x'y",
            "teeeeeet.t.tteeeeee.t.teeeeeeet..."};
        QTest::newRow("php") << Case{
            R"(<p><?php echo "<a href='x'>"; ?>b</p>)",
            "tetts" + QString(27, u's') + ".ttet"};
        QTest::newRow("php in a value, asp") << Case{
            R"(<a href="<?= $u ?>">t</a><% a > b %>x)",
            "te.aaaatvv" + QString(8, u's') + "vt.ttett" + QString(10, u's') + "."};
        QTest::newRow("php over lines") << Case{
            "<?php\n$a = '>';\n?><b>",
            "tssss\nsssssssss\nsstet"};
        QTest::newRow("include") << Case{
            R"(<!--#include virtual="a.html" -->x)",
            "ttcc" + QString(29, u's') + "."};
        QTest::newRow("php inside a script") << Case{
            "<script>s = \"<?= $x ?>\";</script>",
            "teeeeeet....jj" + QString(8, u's') + "j.tteeeeeet"};
    }
    void roles()
    {
        QFETCH(Case, c);
        QCOMPARE(c.roles.size(), c.text.size());
        QCOMPARE(byLines(c.text), c.roles);
        for (qsizetype cut = 0; cut <= c.text.size(); ++cut)
            QCOMPARE(inTwoPieces(c.text, cut), c.roles);
    }

    // Random markup, cut at random places and at its lines, colours as it does in one piece:
    // what proves that the state packs every field and that no role looks ahead.
    void cutsAnywhereColourTheSame()
    {
        static const QStringList tokens = {
            "<", ">", "/", "!", "-", "--", "<!--", "-->", "<!--#", "<script>", "</script>", "<style>", "</style>",
            "<SCRIPT x='>'>", "</STYLE >", "'", "\"", "`", "\\", "=", " ", "\n", "\r", "\u2028", "a", "p", "&", ";",
            "#", "<?", "?>", "<%", "%>", "{", "}", ":", "@", "@font-face", "@media", "/*", "*/", "//", "</", "<a ",
            "<a href=", "<!DOCTYPE ", "&amp;", "s", "x", "<p>"};
        QRandomGenerator random(20);
        for (int round = 0; round < 300; ++round) {
            QString text;
            for (int i = 0; i < 150; ++i)
                text += tokens[random.bounded(tokens.size())];
            QList<html::RoleRun> runs;
            html::scan(html::kPageStart, text, TextEnd::LineEnd, runs);
            QString whole(text.size(), u'.');
            paint(whole, 0, runs);

            QString cut(text.size(), u'.');
            html::ScanState state = html::kPageStart;
            for (qsizetype at = 0; at < text.size();) {
                const qsizetype length = std::min<qsizetype>(1 + random.bounded(12), text.size() - at);
                runs.clear();
                state = html::scan(state, QStringView(text).mid(at, length),
                                   at + length == text.size() ? TextEnd::LineEnd : TextEnd::Piece, runs);
                QVERIFY(state >= 0);
                paint(cut, at, runs);
                at += length;
            }
            QCOMPARE(cut, whole);

            QString lines = byLines(text);
            for (qsizetype i = 0; i < text.size(); ++i)
                if (text[i] == u'\n')
                    lines[i] = whole[i];
            QCOMPARE(lines, whole);
        }
    }

    // The kept states against states worked out afresh, over random edits of random lines:
    // whatever was edited, shown, guessed or skipped, a state asked for is the state of the
    // page, and a line coloured in a state that turns out wrong is told to be coloured again.
    void keptStatesFollowEdits()
    {
        static const QStringList pieces = {"<p>", "a", "<!--", "-->", "\"", "'", "<a href=", ">", "<script>",
                                           "</script>", "//", "\\", "`", "<?", "?>", " "};
        QRandomGenerator random(21);
        const auto randomLine = [&] {
            QString line;
            for (int i = random.bounded(5); i > 0; --i)
                line += pieces[random.bounded(pieces.size())];
            return line;
        };
        QStringList lines;
        html::ScanStates states([&](qsizetype unit) { return html::ScanStates::Unit{lines[unit], TextEnd::LineEnd}; });
        for (int round = 0; round < 100; ++round) {
            lines.clear();
            for (int i = random.bounded(1, 30); i > 0; --i)
                lines.append(randomLine());
            states.reset(lines.size());
            QList<html::ScanState> shown(lines.size() + 1, -1); // as the lines on screen were coloured
            for (int step = 0; step < 60; ++step) {
                const qsizetype first = random.bounded(lines.size() + 1);
                const qsizetype removed = random.bounded(std::min<qsizetype>(3, lines.size() - first) + 1);
                const qsizetype added = random.bounded(3);
                if (removed + added == 0)
                    continue;
                lines.remove(first, removed);
                for (qsizetype i = 0; i < added; ++i)
                    lines.insert(first, randomLine());
                states.unitsChanged(first, removed, added);
                shown.remove(first, removed); // an edited line is coloured again anyway
                shown.insert(first, added, -1);
                QCOMPARE(states.unitCount(), lines.size());
                QList<html::ScanState> truth = {html::kPageStart};
                for (const QString& line : lines)
                    truth.append(html::scan(truth.last(), line).end);
                for (int ask = random.bounded(4); ask > 0; --ask) {
                    // The box asks for the state of a line it shows, guesses far off, or works
                    // ahead in a spare moment.
                    const qsizetype unit = random.bounded(lines.size() + 1);
                    const int how = random.bounded(3);
                    html::ScanState state = -1;
                    if (how == 0) {
                        state = states.stateAt(unit);
                        QCOMPARE(state, truth[unit]);
                    } else if (how == 1)
                        state = states.guessAt(unit, random.bounded(4));
                    else
                        states.workAhead(random.bounded(40));
                    const auto [from, to] = states.takeRestyled();
                    for (qsizetype i = from; i < to; ++i)
                        shown[i] = -1; // coloured again
                    if (state >= 0)
                        shown[unit] = state;
                    for (qsizetype i = 0; i < states.knownUnits(); ++i)
                        QVERIFY(shown[i] == -1 || shown[i] == truth[i]);
                }
            }
        }
    }

    // A comment opened at the top restyles every later line, found only as far as asked for;
    // typing that changes no state restyles nothing.
    void keptStatesSayWhatToRecolour()
    {
        QStringList lines(1000, QStringLiteral("<p class=x>text</p>"));
        html::ScanStates states([&](qsizetype unit) { return html::ScanStates::Unit{lines[unit], TextEnd::LineEnd}; },
                                lines.size());
        QCOMPARE(states.stateAt(50), html::kPageStart);
        states.takeRestyled();
        lines[0].prepend(u"<!--");
        states.unitsChanged(0, 1, 1);
        QVERIFY(states.stateAt(40) != html::kPageStart);
        QCOMPARE(states.takeRestyled(), (std::pair<qsizetype, qsizetype>{1, 41}));
        lines[0].remove(0, 4);
        states.unitsChanged(0, 1, 1);
        QCOMPARE(states.stateAt(1000), html::kPageStart);
        QCOMPARE(states.takeRestyled(), (std::pair<qsizetype, qsizetype>{1, 41}));
        lines[500].append(u"more text");
        states.unitsChanged(500, 1, 1);
        QCOMPARE(states.stateAt(1000), html::kPageStart);
        QCOMPARE(states.takeRestyled(), (std::pair<qsizetype, qsizetype>{0, 0}));
    }

    // How the highlighter works: each line's start state is kept, and an edit scans on from
    // its line only while the states differ from the kept ones.
    void typingACommentOpenerRecoloursTheRest()
    {
        QStringList lines = {"<p>", "<b class=x>text</b>", "&amp;", "</p>"};
        QList<html::ScanState> kept(lines.size() + 1, html::kPageStart);
        const auto rescan = [&](int from) {
            int scanned = 0;
            for (int i = from; i < lines.size(); ++i) {
                const html::ScanState end = html::scan(kept[i], lines[i]).end;
                ++scanned;
                if (kept[i + 1] == end)
                    break;
                kept[i + 1] = end;
            }
            return scanned;
        };
        for (int i = 0; i < lines.size(); ++i)
            kept[i + 1] = html::scan(kept[i], lines[i]).end;
        const QList<html::ScanState> before = kept;
        lines[0].prepend(u"<!--");
        QCOMPARE(rescan(0), lines.size());
        for (int i = 1; i < lines.size(); ++i) {
            const auto runs = html::scan(kept[i], lines[i]).runs;
            QCOMPARE(runs, (QList<html::RoleRun>{{0, lines[i].size(), Role::Comment}}));
        }
        lines[0].remove(0, 4);
        QCOMPARE(rescan(0), lines.size());
        QCOMPARE(kept, before);
    }
};

QTEST_APPLESS_MAIN(HtmlScanTest)
#include "test_html_scan.moc"
