#include "tags/markup_rows.h"
#include "tags/skeleton.h"
#include "ui/menu_tree.h"

#include <QRegularExpression>
#include <QTest>

namespace {
// The element name an opening text starts, e.g. "div" for <div align="left">.
QString openedElement(const QString& opening)
{
    static const QRegularExpression re(QStringLiteral("^<([a-z]+)"));
    return re.match(opening).captured(1);
}

QStringList childNames(const QString& menu)
{
    QStringList names;
    for (const MenuItemSpec& child : findMenuItem(menu)->children)
        names << child.name;
    return names;
}

QString opening(const char* item)
{
    return QString::fromLatin1(findMarkupRow(QString::fromLatin1(item))->opening);
}

QString closing(const char* item)
{
    return QString::fromLatin1(findMarkupRow(QString::fromLatin1(item))->closing);
}

// The leaves under an image submenu with the captions chosen on the way to each.
void collectImageLeaves(const MenuItemSpec& item, QStringList path, QList<QPair<QString, QStringList>>& out)
{
    if (!item.isSubmenu()) {
        out.append({item.name, path << item.caption});
        return;
    }
    for (const MenuItemSpec& child : item.children)
        collectImageLeaves(child, path + QStringList{item.caption}, out);
}
}

class MarkupRowsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wrappingRowsCloseWhatTheyOpen()
    {
        for (const MarkupRow& row : markupRows()) {
            if (row.kind != MarkupKind::Wrap)
                continue;
            const QString opening = QString::fromLatin1(row.opening);
            const QString closing = QString::fromLatin1(row.closing);
            const QString element = openedElement(opening);
            if (element.isEmpty() || element == "img")
                continue; // comments and images are checked on their own below
            QVERIFY2(closing == "</" + element + ">", row.item);
        }
    }

    void textsAreAsciiWithLowerCaseTags()
    {
        for (const MarkupRow& row : markupRows()) {
            const QString text = QString::fromLatin1(row.opening) + QString::fromLatin1(row.closing);
            for (QChar c : text)
                QVERIFY2(c.unicode() < 0x80, row.item);
            static const QRegularExpression upperTag(QStringLiteral("</?[a-z]*[A-Z]"));
            QVERIFY2(!upperTag.match(text).hasMatch(), row.item);
        }
    }

    void inlineRowsFollowTheMenuOrder()
    {
        const QStringList physical = childNames("NI");
        const QStringList logical = childNames("IN");
        QCOMPARE(physical, QStringList({"fb", "Fi", "fs", "ftt", "fu", "fsup", "fsub"}));
        QCOMPARE(logical, QStringList({"fcite", "fcode", "fkbd", "fvar", "fsamp"}));
        const QStringList expectedTags = {"b", "i", "s", "tt", "u", "sup", "sub", "cite", "code", "kbd", "var", "samp"};
        const QStringList items = physical + logical;
        for (int i = 0; i < items.size(); ++i) {
            const MarkupRow* row = findMarkupRow(items[i]);
            QVERIFY2(row, qPrintable(items[i]));
            QCOMPARE(row->kind, MarkupKind::Wrap);
            QCOMPARE(openedElement(QString::fromLatin1(row->opening)), expectedTags[i]);
            QCOMPARE(QString::fromLatin1(row->opening), "<" + expectedTags[i] + ">");
        }
    }

    void wrappingPutsTheSelectionBetweenTheTexts()
    {
        const MarkupRow* bold = findMarkupRow(u"fb");
        QCOMPARE(markupText(*bold, "word"), QString("<b>word</b>"));
        QCOMPARE(markupText(*bold, QString()), QString("<b></b>"));
        QCOMPARE(markupText(*bold, "a\r\nb"), QString("<b>a\r\nb</b>"));
        QCOMPARE(markupText(*bold, "<&>"), QString("<b><&></b>"));
        const MarkupRow* br = findMarkupRow(u"Br");
        QCOMPARE(markupText(*br, "discarded"), QString("<br>"));
    }

    // The lengths the command tables give, and the kind of each command.
    void lengthsAndKinds_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("wraps");
        QTest::addColumn<int>("openingLength");
        QTest::addColumn<int>("closingLength"); // -1: not given
        const auto row = [](const char* item, bool wraps, int open, int close) {
            QTest::newRow(item) << QString(item) << wraps << open << close;
        };
        row("comme", true, 5, 4);
        row("Br", false, 4, 0);
        row("lcr_l_div", true, 18, 6);
        row("lcr_l_p", true, 16, 4);
        row("lcr_c_c", true, 8, 9);
        row("lcr_c_div", true, 20, 6);
        row("lcr_c_p", true, 18, 4);
        row("lcr_r_div", true, 19, 6);
        row("lcr_r_p", true, 17, 4);
        row("hrn", false, 4, 0);
        row("hrcs", false, 25, 0);
        row("hrcns", false, 32, 0);
        row("hrefn", true, 11, 4);
        row("hrefct", true, 21, 4);
        row("hrefcm", true, 18, 4);
        row("hFontTs", true, 14, 7);
        row("hFontTc", true, 15, 7);
        row("hFontTsc", true, 23, 7);
        row("imgn", true, 10, 2);
        row("imgstw", true, 10, 38);
        row("imgstwn", true, 10, 28);
        row("imgstnw", true, 10, 31);
        row("imgstnwn", true, 10, 21);
        row("imgsntw", true, 10, 19);
        row("imgsntwn", true, 10, 9);
        row("imgsntnw", true, 10, 12);
        row("imgsntnwn", true, 10, 2);
        row("hhtb", false, 139, 0);
        row("hkt", false, 139, 0);
    }
    void lengthsAndKinds()
    {
        QFETCH(QString, item);
        QFETCH(bool, wraps);
        QFETCH(int, openingLength);
        QFETCH(int, closingLength);
        const MarkupRow* row = findMarkupRow(item);
        QVERIFY(row);
        QCOMPARE(row->kind == MarkupKind::Wrap, wraps);
        QCOMPARE(int(qstrlen(row->opening)), openingLength);
        QCOMPARE(int(qstrlen(row->closing)), closingLength);
    }

    void blockRowsHaveTheirShape()
    {
        // Paragraphs open only, unquoted; aligned blocks quote; headings leave out the level.
        for (const char* item : {"pn", "pcl", "pcc", "pcr"}) {
            QVERIFY(opening(item).startsWith("<p"));
            QVERIFY(!opening(item).contains('"'));
            QVERIFY(closing(item).isEmpty());
        }
        QCOMPARE(opening("pcc"), QString("<p align=center>"));
        for (const char* item : {"lcr_l_div", "lcr_c_div", "lcr_r_div"})
            QCOMPARE(closing(item), QString("</div>"));
        for (const char* item : {"lcr_l_p", "lcr_c_p", "lcr_r_p"})
            QCOMPARE(closing(item), QString("</p>"));
        for (const char* item : {"hleft", "hcenter", "hright"}) {
            QVERIFY(!opening(item).contains(QRegularExpression("[0-9]")));
            QCOMPARE(closing(item), QString("</h>"));
        }
        QCOMPARE(opening("hleft"), QString("<h >"));
        QCOMPARE(markupText(*findMarkupRow(u"comme"), QString()), QString("<!--  -->"));
        QVERIFY(opening("hrcns").endsWith(" noshade>"));
        QVERIFY(opening("hrcs").endsWith(" >"));
        QVERIFY(opening("hrefcm").contains("mailto:"));
        QVERIFY(opening("hFontTsc").indexOf("size") < opening("hFontTsc").indexOf("color"));
    }

    // The closing text of an image follows the choices made in the menu on the way to it,
    // attributes always in the order width, height, border, alt.
    void imageClosingTextFollowsTheChoices()
    {
        QList<QPair<QString, QStringList>> leaves;
        collectImageLeaves(*findMenuItem("img"), {}, leaves);
        QCOMPARE(leaves.size(), 9);
        for (const auto& [item, path] : leaves) {
            const bool size = path.contains("サイズ変更する");
            const bool alt = path.contains("代替テキスト表示");
            const bool border = path.contains("境界線指定する");
            QString expected = "\"";
            if (size)
                expected += " width=\"\" height=\"\"";
            if (border)
                expected += " border=\"\"";
            if (alt)
                expected += " alt=\"\"";
            expected += ">";
            const MarkupRow* row = findMarkupRow(item);
            QVERIFY2(row, qPrintable(item));
            QCOMPARE(QString::fromLatin1(row->opening), QString("<img src=\""));
            QCOMPARE(QString::fromLatin1(row->closing), expected);
        }
        QCOMPARE(markupText(*findMarkupRow(u"imgn"), "a.gif"), QString("<img src=\"a.gif\">"));
    }

    void tagMenusInDisplayOrder()
    {
        QCOMPARE(childNames("tag"), QStringList({"hhtb", "k2", "comme", "Br", "p", "lcr", "k3", "hFontT", "hFontTT",
                                                 "fheader", "k4", "hr", "img", "table", "k5", "href", "s", "hColor"}));
        QCOMPARE(childNames("p"), QStringList({"pn", "pc"}));
        QCOMPARE(childNames("pc"), QStringList({"pcl", "pcc", "pcr"}));
        QCOMPARE(childNames("lcr"), QStringList({"lcr_l", "lcr_c", "lcr_r"}));
        QCOMPARE(childNames("lcr_l"), QStringList({"lcr_l_div", "lcr_l_p"}));
        QCOMPARE(childNames("lcr_c"), QStringList({"lcr_c_c", "lcr_c_div", "lcr_c_p"}));
        QCOMPARE(childNames("lcr_r"), QStringList({"lcr_r_div", "lcr_r_p"}));
        QCOMPARE(childNames("hFontT"), QStringList({"hFontTs", "hFontTc", "hFontTsc"}));
        QCOMPARE(childNames("fheader"), QStringList({"hleft", "hcenter", "hright"}));
        QCOMPARE(childNames("hr"), QStringList({"hrn", "hrc"}));
        QCOMPARE(childNames("hrc"), QStringList({"hrcs", "hrcns"}));
        QCOMPARE(childNames("img"), QStringList({"imgn", "imgc"}));
        QCOMPARE(childNames("imgc"), QStringList({"imgs", "imgsn"}));
        QCOMPARE(childNames("imgs"), QStringList({"imgst", "imgstn"}));
        QCOMPARE(childNames("imgsn"), QStringList({"imgsnt", "imgsntn"}));
        QCOMPARE(childNames("href"), QStringList({"hrefn", "hrefc"}));
        QCOMPARE(childNames("hrefc"), QStringList({"hrefct", "hrefcm"}));
        QCOMPARE(childNames("hTemplate"), QStringList({"hkt", "k11", "uTemp"}));
        QCOMPARE(childNames("uTemp"), QStringList({"uTemp1"}));
        QCOMPARE(findMenuItem("uTemp1")->caption, QString("未定義"));
        QCOMPARE(findMenuItem("uTemp1")->arrayLength, 1);
    }

    void pageSkeleton()
    {
        const QString skeleton = QString::fromLatin1(kPageSkeleton);
        QCOMPARE(skeleton.size(), 139);
        QVERIFY(skeleton.endsWith("\r\n"));
        QCOMPARE(skeleton.count("\r\n"), 13);
        QCOMPARE(skeleton.count('\r'), 13);
        QCOMPARE(skeleton.count('\n'), 13);
        const QStringList lines = skeleton.chopped(2).split("\r\n");
        QCOMPARE(lines.size(), 13);
        for (int empty : {1, 4, 7, 9, 11})
            QVERIFY2(lines[empty].isEmpty(), qPrintable(QString::number(empty + 1)));
        QCOMPARE(lines[0], QString("<html>"));
        QCOMPARE(lines[12], QString("</html>"));
        QCOMPARE(lines[2] + lines[6], QString("<head></head>"));
        QCOMPARE(lines[3] + lines[5], QString("<title></title>"));
        QCOMPARE(lines[10], QString("</body>"));
        // The body tag: all six attributes, in this order, each with an empty value.
        const QString body = lines[8];
        QCOMPARE(body.size(), 65);
        static const QRegularExpression attribute(QStringLiteral(" ([a-z]+)=\"\""));
        QStringList names;
        for (auto it = attribute.globalMatch(body); it.hasNext();)
            names << it.next().captured(1);
        QCOMPARE(names, QStringList({"background", "bgcolor", "text", "link", "alink", "vlink"}));
        QVERIFY(body.startsWith("<body ") && body.endsWith("\">"));
        QCOMPARE(markupText(*findMarkupRow(u"hkt"), "selected"), skeleton);
        QCOMPARE(markupText(*findMarkupRow(u"hhtb"), QString()), skeleton);
    }

    void everyRowIsAMenuCommand()
    {
        for (const MarkupRow& row : markupRows()) {
            const MenuItemSpec* item = findMenuItem(QString::fromLatin1(row.item));
            QVERIFY2(item, row.item);
            QVERIFY2(!item->isSubmenu() && !item->isSeparator(), row.item);
        }
        QVERIFY(!findMarkupRow(u"nonexistent"));
    }
};

QTEST_APPLESS_MAIN(MarkupRowsTest)
#include "test_markup_rows.moc"
