#include "html/markup_structure.h"
#include "html/role_palette.h"
#include "typing/indentation.h"

#include <QTest>

using html::TextRange;

namespace {
// '|' marks the caret (or position); it is taken out of the text.
std::pair<QString, qsizetype> withCaret(QString text)
{
    const qsizetype caret = text.indexOf(u'|');
    text.remove(caret, 1);
    return {text, caret};
}

struct Partner {
    QString text;     // with '|'
    QString expected; // the tag in [ ], its partner in { }, or (none)
    qsizetype reach = html::kStructureReach;
};
struct Open {
    QString text;     // with '|'
    QString expected; // the element's name, or empty for none
};
struct Around {
    QString text;     // the range in [ ]
    QString expected; // the elements found going outwards, joined by " / "
};
}
Q_DECLARE_METATYPE(Partner)
Q_DECLARE_METATYPE(Open)
Q_DECLARE_METATYPE(Around)

class MarkupStructureTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void partner_data()
    {
        QTest::addColumn<Partner>("c");
        QTest::newRow("nested of one name") << Partner{"<div>a<d|iv>b</div>c</div>", "<div>a[<div>]b{</div>}c</div>"};
        QTest::newRow("from the end tag") << Partner{"<div>a<div>b</div>c</d|iv>", "{<div>}a<div>b</div>c[</div>]"};
        QTest::newRow("caret before '<'") << Partner{"|<p>x</p>", "[<p>]x{</p>}"};
        QTest::newRow("caret after '>'") << Partner{"<b>x</b>|", "{<b>}x[</b>]"};
        QTest::newRow("between two tags: the next") << Partner{"<b>x</b>|<i>y</i>", "<b>x</b>[<i>]y{</i>}"};
        QTest::newRow("case") << Partner{"<DI|V>x</div>", "[<DIV>]x{</div>}"};
        QTest::newRow("'>' in a value") << Partner{R"(<a title="x>y" hr|ef=b>t</a>)", R"([<a title="x>y" href=b>]t{</a>})"};
        QTest::newRow("comment and script passed over") << Partner{
            "<p|><!-- </p> --><script>'</p>'</script></p>", "[<p>]<!-- </p> --><script>'</p>'</script>{</p>}"};
        QTest::newRow("an unclosed element of another name") << Partner{"<div><p>a<p>b</d|iv>", "{<div>}<p>a<p>b[</div>]"};
        QTest::newRow("void") << Partner{"<p><b|r></p>", "(none)"};
        QTest::newRow("self-closed") << Partner{"<div|/>x</div>", "(none)"};
        QTest::newRow("unclosed") << Partner{"<d|iv><div></div>", "(none)"};
        QTest::newRow("end tag without a start") << Partner{"x</p|>", "(none)"};
        QTest::newRow("caret in the text") << Partner{"<p>a|b</p>", "(none)"};
        QTest::newRow("caret in a comment") << Partner{"<!-- <p| --></p>", "(none)"};
        const QString far = "<p>" + QString(100, u'x') + "</p>";
        QTest::newRow("partner out of reach") << Partner{"<|" + far.mid(1), "(none)", 50};
        QTest::newRow("partner within reach") << Partner{"<|" + far.mid(1), "[<p>]" + QString(100, u'x') + "{</p>}", 200};
    }
    void partner()
    {
        QFETCH(Partner, c);
        const auto [text, caret] = withCaret(c.text);
        const auto pair = html::partnerTags(text, caret, c.reach);
        QString marked = QStringLiteral("(none)");
        if (pair) {
            marked = text;
            // Insert from the right so that the earlier positions hold.
            QList<std::pair<qsizetype, QChar>> marks = {{pair->tag.start, u'['}, {pair->tag.end, u']'},
                                                        {pair->partner.start, u'{'}, {pair->partner.end, u'}'}};
            std::sort(marks.begin(), marks.end(), [](auto a, auto b) { return a.first > b.first; });
            for (const auto& [at, mark] : marks)
                marked.insert(at, mark);
        }
        QCOMPARE(marked, c.expected);
    }

    void openElement_data()
    {
        QTest::addColumn<Open>("c");
        QTest::newRow("innermost") << Open{"<html><body><p>a|", "p"};
        QTest::newRow("void elements passed over") << Open{"<div><br><img src=x><hr/>|", "div"};
        QTest::newRow("closed ones passed over") << Open{"<div><p>x</p>|", "div"};
        QTest::newRow("comment and script passed over") << Open{"<div><!-- <p> --><script>if (a<b) x='<p>'</script>|", "div"};
        QTest::newRow("in a script") << Open{"<p><script>var a = '|", "script"};
        QTest::newRow("an end tag closes what it holds") << Open{"<div><span></div>|", ""};
        QTest::newRow("a stray end tag is ignored") << Open{"<b></i>|", "b"};
        QTest::newRow("list items left open") << Open{"<ul><li>a<li>b|", "li"};
        QTest::newRow("spelled as written") << Open{"<DIV>|", "DIV"};
        QTest::newRow("nothing open") << Open{"<p>x</p>|", ""};
        QTest::newRow("inside a comment") << Open{"<div><!-- |", ""};
        QTest::newRow("inside a tag") << Open{"<div><a href=\"|", ""};
    }
    void openElement()
    {
        QFETCH(Open, c);
        const auto [text, position] = withCaret(c.text);
        const auto open = html::openElementAt(text, position);
        QCOMPARE(open ? open->name : QString(), c.expected);
        if (open)
            QCOMPARE(text.mid(open->startTag.start, 1 + c.expected.size()), "<" + c.expected);
    }

    void around_data()
    {
        QTest::addColumn<Around>("c");
        QTest::newRow("outwards") << Around{"<div><p>a[b]c</p></div>", "<p>abc</p> / <div><p>abc</p></div>"};
        QTest::newRow("caret in a start tag") << Around{"<d[]iv>x</div>", "<div>x</div>"};
        QTest::newRow("unclosed elements have no range") << Around{"<ul><li>[x]<li>y</ul>", "<ul><li>x<li>y</ul>"};
        QTest::newRow("range across two elements") << Around{"<p>[x</p><p>y]</p>", ""};
        QTest::newRow("not in an element") << Around{"[x]<br>", ""};
    }
    void around()
    {
        QFETCH(Around, c);
        QString text = c.text;
        const qsizetype start = text.indexOf(u'[');
        const qsizetype end = text.indexOf(u']') - 1;
        text.remove(start, 1).remove(end, 1);
        QStringList found;
        TextRange range{start, end};
        while (const auto element = html::elementAround(text, range)) {
            found.append(text.mid(element->start, element->end - element->start));
            range = *element;
        }
        QCOMPARE(found.join(" / "), c.expected);
    }

    void indentation()
    {
        QCOMPARE(leadingBlanks(u" \t\u3000 <p>  x"), u" \t\u3000 ");
        QCOMPARE(leadingBlanks(u"<p>"), u"");
        QCOMPARE(leadingBlanks(u"  "), u"  ");
    }

    void paletteIsReadableOnAnyBackground()
    {
        const html::Rgb font{10, 20, 30};
        const QList<html::Rgb> backgrounds = {{255, 255, 255}, {0, 0, 0}, {119, 119, 119}, {0, 0, 128},
                                              {255, 255, 0}, {255, 192, 203}, {0, 128, 0}, {40, 44, 52}};
        for (const html::Rgb& background : backgrounds) {
            const html::RolePalette palette = html::rolePalette(background, font);
            QCOMPARE(palette[int(html::Role::Plain)], font);
            for (int role = 1; role < html::kRoleCount; ++role)
                QVERIFY2(html::contrastRatio(palette[role], background) >= 4.5,
                         qPrintable(QStringLiteral("role %1 on %2,%3,%4").arg(role).arg(background.red)
                                        .arg(background.green).arg(background.blue)));
            // The roles a reader tells apart most often stay apart.
            const QList<html::Role> apart = {html::Role::ElementName, html::Role::AttributeName,
                                             html::Role::AttributeValue, html::Role::Comment};
            for (qsizetype i = 0; i < apart.size(); ++i)
                for (qsizetype j = i + 1; j < apart.size(); ++j)
                    QVERIFY(!(palette[int(apart[i])] == palette[int(apart[j])]));
            // Marks are seen, yet fainter than the text; a marked tag's roles stay readable.
            const double faint = html::contrastRatio(html::faintColour(background, font), background);
            QVERIFY(faint > 1.2 || html::contrastRatio(font, background) < 1.5);
            QVERIFY(faint <= html::contrastRatio(font, background));
            for (int role = 1; role < html::kRoleCount; ++role)
                QVERIFY(html::contrastRatio(palette[role], html::markBackground(background, font)) >= 3.0);
        }
        QVERIFY(html::contrastRatio({0, 0, 0}, {255, 255, 255}) > 20.9);
    }
};

QTEST_APPLESS_MAIN(MarkupStructureTest)
#include "test_markup_structure.moc"
