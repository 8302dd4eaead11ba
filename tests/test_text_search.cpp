#include "search/text_search.h"

#include <QTest>

namespace {
SearchOptions options(const QString& flags)
{
    return {.caseSensitive = flags.contains('c'), .wholeWord = flags.contains('w'),
            .regularExpression = flags.contains('r')};
}

SearchRange rangeOf(const QString& text, int start, int end)
{
    return start < 0 ? SearchRange{0, text.size()} : SearchRange{start, end};
}

// flags: c for case, w for whole word, r for a regular expression; a range start of -1 is the
// whole text.
struct Find {
    QString text, pattern, flags;
    bool backward;
    int from, rangeStart, rangeEnd;
    QString expected;
};
struct Replace {
    QString text, pattern, flags, replacement;
    int rangeStart, rangeEnd;
    QString expected;
    int count;
};

// The text with the found match in brackets, and a note when the search went round.
QString marked(const QString& text, const std::optional<FoundMatch>& found)
{
    if (!found)
        return QStringLiteral("(none)");
    QString out = text;
    out.insert(found->match.end(), u']');
    out.insert(found->match.start, u'[');
    return found->wrapped ? out + QStringLiteral(" (wrapped)") : out;
}
}
Q_DECLARE_METATYPE(Find)
Q_DECLARE_METATYPE(Replace)

class TextSearchTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void find_data()
    {
        QTest::addColumn<Find>("c");
        QTest::newRow("case ignored") << Find{"xx ABC abc", "abc", "", false, 0, -1, -1, "xx [ABC] abc"};
        QTest::newRow("case kept") << Find{"xx ABC abc", "abc", "c", false, 0, -1, -1, "xx ABC [abc]"};
        QTest::newRow("full-width case folded") << Find{"ＡＢＣ", "ａｂｃ", "", false, 0, -1, -1, "[ＡＢＣ]"};
        QTest::newRow("from the caret on") << Find{"ab ab ab", "ab", "c", false, 1, -1, -1, "ab [ab] ab"};
        QTest::newRow("wraps at the end") << Find{"ab ab ab", "ab", "c", false, 7, -1, -1, "[ab] ab ab (wrapped)"};
        QTest::newRow("backward ends before the caret") << Find{"ab ab ab", "ab", "c", true, 4, -1, -1, "[ab] ab ab"};
        QTest::newRow("backward wraps") << Find{"ab ab ab", "ab", "", true, 1, -1, -1, "ab ab [ab] (wrapped)"};
        QTest::newRow("whole word") << Find{"cat concat cat_ cat.", "cat", "w", false, 1, -1, -1, "cat concat cat_ [cat]."};
        QTest::newRow("whole word, Japanese letters are letters") << Find{"猫cat cat", "cat", "w", false, 0, -1, -1, "猫cat [cat]"};
        QTest::newRow("special characters are plain") << Find{"a.c abc a.c", "a.c", "", false, 1, -1, -1, "a.c abc [a.c]"};
        QTest::newRow("regular expression") << Find{"<p>x</p><h1>y</h1>", "<h\\d>", "r", false, 0, -1, -1, "<p>x</p>[<h1>]y</h1>"};
        QTest::newRow("^ and $ at every line") << Find{"ab\ncd\nce", "^c.$", "rc", false, 4, -1, -1, "ab\ncd\n[ce]"};
        const QString gap(200000, 'x');
        QTest::newRow("regex backward over a large gap") << Find{"abc" + gap, "a.c", "r", true, 200003, -1, -1, "[abc]" + gap};
        QTest::newRow("empty match at the caret is passed over") << Find{"ab\n\ncd", "^$", "r", false, 3, -1, -1, "ab\n[]\ncd (wrapped)"};
        QTest::newRow("inside the range only") << Find{"ab ab ab ab", "ab", "", false, 0, 2, 8, "ab [ab] ab ab"};
        QTest::newRow("range wraps to its own start") << Find{"ab ab ab ab", "ab", "", false, 7, 2, 8, "ab [ab] ab ab (wrapped)"};
        QTest::newRow("match crossing the range end") << Find{"ab ab ab ab", "ab", "", false, 4, 2, 7, "ab [ab] ab ab (wrapped)"};
        QTest::newRow("not there") << Find{"abc", "abd", "", false, 0, -1, -1, "(none)"};
        QTest::newRow("empty pattern") << Find{"abc", "", "", false, 0, -1, -1, "(none)"};
    }
    void find()
    {
        QFETCH(Find, c);
        const TextSearch search(c.pattern, options(c.flags));
        QVERIFY(search.isValid());
        const auto found = search.find(c.text, c.from, c.backward ? SearchDirection::Backward : SearchDirection::Forward,
                                       rangeOf(c.text, c.rangeStart, c.rangeEnd));
        QCOMPARE(marked(c.text, found), c.expected);
    }

    void replaceAll_data()
    {
        QTest::addColumn<Replace>("c");
        QTest::newRow("plain") << Replace{"a-b-c", "-", "c", "<br>", -1, -1, "a<br>b<br>c", 2};
        QTest::newRow("case ignored") << Replace{"Ab ab AB", "ab", "", "x", -1, -1, "x x x", 3};
        QTest::newRow("backslashes are plain without regex") << Replace{"a", "a", "", "\\1\\n", -1, -1, "\\1\\n", 1};
        QTest::newRow("groups") << Replace{"<B>x</B> <B>y</B>", "<(/?)B>", "r", "<\\1strong>", -1, -1, "<strong>x</strong> <strong>y</strong>", 4};
        QTest::newRow("whole match, escapes") << Replace{"a b", "\\w", "r", "[\\0]\\t\\\\\\n", -1, -1, "[a]\t\\\n [b]\t\\\n", 2};
        QTest::newRow("empty matches") << Replace{"ab", "x*", "r", "-", -1, -1, "-a-b-", 3};
        QTest::newRow("line starts") << Replace{"a\nb\n", "^", "r", "> ", -1, -1, "> a\n> b\n", 2};
        QTest::newRow("selection only") << Replace{"ab ab ab ab", "ab", "", "X", 2, 8, "ab X X ab", 2};
        QTest::newRow("none") << Replace{"abc", "z", "", "X", -1, -1, "abc", 0};
    }
    void replaceAll()
    {
        QFETCH(Replace, c);
        TextSearch search(c.pattern, options(c.flags));
        search.setReplacement(c.replacement);
        QVERIFY2(search.isValid(), qPrintable(search.errorText()));
        const ReplacedStretch r = search.replaceAll(c.text, rangeOf(c.text, c.rangeStart, c.rangeEnd));
        QCOMPARE(r.count, c.count);
        QString result = c.text;
        for (auto it = r.changes.crbegin(); it != r.changes.crend(); ++it)
            result.replace(r.start + it->start, it->length, it->text);
        QCOMPARE(result, c.expected);
    }

    // A find leaves the match selected; replacing it needs the selection to be that match.
    void replacementOnlyForAWholeMatch()
    {
        TextSearch search("(a+)b", options("r"));
        search.setReplacement("\\1");
        const QString text = "xaab";
        QCOMPARE(search.replacementAt(text, 1, 4), QString("aa"));
        QCOMPARE(search.replacementAt(text, 2, 4), QString("a"));
        QVERIFY(!search.replacementAt(text, 1, 3));
        QVERIFY(!search.replacementAt(text, 0, 4));
    }

    void mistakesAreExplained()
    {
        const TextSearch broken("a(b", options("r"));
        QVERIFY(!broken.isValid());
        QVERIFY(broken.errorText().contains("4 文字目"));
        QVERIFY(!broken.find(u"a(b", 0, SearchDirection::Forward, {0, 3}));

        TextSearch missingGroup("(a)", options("r"));
        missingGroup.setReplacement("\\2");
        QVERIFY(missingGroup.errorText().contains("\\2"));
        QCOMPARE(missingGroup.replaceAll(u"aaa", {0, 3}).count, 0);
        // Finding still works: only the replacement is wrong.
        QVERIFY(missingGroup.find(u"aaa", 0, SearchDirection::Forward, {0, 3}));

        // The same text is harmless when it is not a regular expression.
        QVERIFY(TextSearch("a(b", options("")).isValid());
    }
};

QTEST_GUILESS_MAIN(TextSearchTest)
#include "test_text_search.moc"
