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

    void pageSkeleton()
    {
        const QString skeleton = QString::fromLatin1(kPageSkeleton);
        QVERIFY(skeleton.endsWith("\r\n"));
        QCOMPARE(skeleton.count('\r'), skeleton.count("\r\n")); // CR LF throughout
        QCOMPARE(skeleton.count('\n'), skeleton.count("\r\n"));
        const QStringList lines = skeleton.chopped(2).split("\r\n");
        QCOMPARE(lines, QStringList({"<html>", "", "<head>", "<title>", "", "</title>", "</head>", "", lines[8], "",
                                     "</body>", "", "</html>"}));
        // The body tag: all six attributes, in this order, each with an empty value.
        const QString body = lines[8];
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
