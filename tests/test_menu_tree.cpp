#include "tags/markup_rows.h"
#include "tags/skeleton.h"
#include "ui/menu_tree.h"
#include "ui/toolbar_table.h"

#include <QRegularExpression>
#include <QSet>
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

void collect(const std::vector<MenuItemSpec>& items, QStringList& names, QStringList& shortcuts)
{
    for (const MenuItemSpec& item : items) {
        names << item.name;
        if (!item.shortcut.isEmpty())
            shortcuts << item.shortcut;
        collect(item.children, names, shortcuts);
    }
}
}

class MenuTreeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void namesAreUniqueAndShortcutsDistinct()
    {
        QStringList names, shortcuts;
        collect(menuTree(), names, shortcuts);
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
        QCOMPARE(QSet<QString>(shortcuts.begin(), shortcuts.end()).size(), shortcuts.size());
    }

    void everyToolbarTargetExists()
    {
        QStringList names;
        for (const ToolbarButtonSpec& b : toolbarButtons()) {
            names << b.name;
            const MenuItemSpec* item = findMenuItem(QString::fromLatin1(b.target));
            switch (b.click) {
            case ButtonClick::PanelSwitch:
                QCOMPARE(QString(b.name), QString("ButtonChange"));
                break;
            case ButtonClick::Forward:
                // A forwarded command is an item with a command of its own, not a submenu.
                QVERIFY2(item && !item->isSubmenu() && !item->isSeparator() && item->arrayLength == 0, b.name);
                break;
            case ButtonClick::Popup:
                QVERIFY2(item && item->isSubmenu(), b.name);
                break;
            }
        }
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
    }

    void toolbarGeometryInPixels()
    {
        // Edges are rounded, so the narrow file buttons keep the common bottom edge.
        QCOMPARE(pixelRect(*findToolbarButton(u"ButtonChange")), QRect(4, 0, 17, 24));
        QCOMPARE(pixelRect(*findToolbarButton(u"NewFileIcon")), QRect(24, 0, 25, 25));
        QCOMPARE(pixelRect(*findToolbarButton(u"NewFileMini")), QRect(424, -4, 13, 29));
        QCOMPARE(pixelRect(*findToolbarButton(u"NewOpenFileMini")).bottom(),
                 pixelRect(*findToolbarButton(u"htmlView")).bottom());
        // Nothing reaches down into the document box (top 28).
        for (const ToolbarButtonSpec& b : toolbarButtons())
            QVERIFY2(pixelRect(b).bottom() < 28, b.name);
    }

    // Facts of HTML, not of the table: every wrapping row closes the element it opens, and
    // all texts are ASCII with lower-case tags.
    void rowsCloseWhatTheyOpen()
    {
        static const QRegularExpression upperTag(QStringLiteral("</?[a-z]*[A-Z]"));
        for (const MarkupRow& row : markupRows()) {
            const QString opening = QString::fromLatin1(row.opening);
            const QString closing = QString::fromLatin1(row.closing);
            for (QChar c : opening + closing)
                QVERIFY2(c.unicode() < 0x80, row.item);
            QVERIFY2(!upperTag.match(opening + closing).hasMatch(), row.item);
            // An inserting row has nothing to close.
            QCOMPARE(row.kind == MarkupKind::Wrap, !closing.isEmpty());
            const QString element = openedElement(opening);
            if (row.kind == MarkupKind::Wrap && !element.isEmpty() && element != "img")
                QVERIFY2(closing == "</" + element + ">", row.item); // comments and images below
        }
    }

    // The inline submenus, physical then logical, list these elements in this order.
    void inlineRowsFollowTheMenuOrder()
    {
        const QStringList items = childNames("NI") + childNames("IN");
        const QStringList tags = {"b", "i", "s", "tt", "u", "sup", "sub", "cite", "code", "kbd", "var", "samp"};
        QCOMPARE(items.size(), tags.size());
        for (int i = 0; i < items.size(); ++i)
            QCOMPARE(opening(qPrintable(items[i])), "<" + tags[i] + ">");
    }

    // The lengths the command tables give. Images and the skeleton are checked whole below.
    void lengths_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("openingLength");
        QTest::addColumn<int>("closingLength");
        const auto row = [](const char* item, int open, int close) {
            QTest::newRow(item) << QString(item) << open << close;
        };
        row("comme", 5, 4);
        row("Br", 4, 0);
        row("lcr_l_div", 18, 6);
        row("lcr_l_p", 16, 4);
        row("lcr_c_c", 8, 9);
        row("lcr_c_div", 20, 6);
        row("lcr_c_p", 18, 4);
        row("lcr_r_div", 19, 6);
        row("lcr_r_p", 17, 4);
        row("hrn", 4, 0);
        row("hrcs", 25, 0);
        row("hrcns", 32, 0);
        row("hrefn", 11, 4);
        row("hrefct", 21, 4);
        row("hrefcm", 18, 4);
        row("hFontTs", 14, 7);
        row("hFontTc", 15, 7);
        row("hFontTsc", 23, 7);
    }
    void lengths()
    {
        QFETCH(QString, item);
        QFETCH(int, openingLength);
        QFETCH(int, closingLength);
        const MarkupRow* row = findMarkupRow(item);
        QVERIFY(row);
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
        for (const char* item : {"hleft", "hcenter", "hright"}) {
            QVERIFY(!opening(item).contains(QRegularExpression("[0-9]")));
            QCOMPARE(closing(item), QString("</h>"));
        }
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

    void menusInDisplayOrder()
    {
        QStringList top;
        for (const MenuItemSpec& item : menuTree())
            top << item.name;
        QCOMPARE(top, QStringList({"filemenu", "EditText", "View", "tag", "uTag", "hTemplate", "Timenu", "vershow"}));
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
        QCOMPARE(childNames("href"), QStringList({"hrefn", "hrefc"}));
        QCOMPARE(childNames("hrefc"), QStringList({"hrefct", "hrefcm"}));
        QCOMPARE(childNames("hTemplate"), QStringList({"hkt", "k11", "uTemp"}));
        QCOMPARE(childNames("uTemp"), QStringList({"uTemp1"}));
    }

    void pageSkeleton()
    {
        const QString skeleton = QString::fromLatin1(kPageSkeleton);
        QCOMPARE(skeleton.size(), 139);
        QVERIFY(skeleton.endsWith("\r\n"));
        QCOMPARE(skeleton.count('\r'), 13);
        QCOMPARE(skeleton.count('\n'), 13);
        const QStringList lines = skeleton.chopped(2).split("\r\n");
        QCOMPARE(lines, QStringList({"<html>", "", "<head>", "<title>", "", "</title>", "</head>", "", lines[8], "",
                                     "</body>", "", "</html>"}));
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
};

QTEST_APPLESS_MAIN(MenuTreeTest)
#include "test_menu_tree.moc"
