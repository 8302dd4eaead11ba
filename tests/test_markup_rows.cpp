#include "tags/markup_rows.h"
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
