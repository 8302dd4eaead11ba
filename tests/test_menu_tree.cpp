#include "tags/markup_rows.h"
#include "ui/menu_tree.h"

#include <QSet>
#include <QTest>

namespace {
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

    void topLevelMenusInOrder()
    {
        QStringList top;
        for (const MenuItemSpec& item : menuTree())
            top << item.name;
        QCOMPARE(top, QStringList({"filemenu", "EditText", "View", "tag", "uTag", "hTemplate", "Timenu", "vershow"}));
        QVERIFY(!findMenuItem("uTag")->enabled);
        QVERIFY(!findMenuItem("SaveFiLE")->enabled);
    }

    void userTagSetsHoldTenItemsEach()
    {
        for (int k = 1; k <= 10; ++k) {
            const MenuItemSpec* set = findMenuItem(QString("uTagAdd_%1").arg(k));
            QVERIFY(set);
            QCOMPARE(int(set->children.size()), 1);
            QCOMPARE(set->children.front().name, QString("uTagView%1").arg(k));
            QCOMPARE(set->children.front().arrayLength, 10);
        }
        QCOMPARE(findMenuItem("uTagAdd_10")->caption, QString("追加タグ１０"));
    }

    void everyMarkupRowIsReachable()
    {
        for (const MarkupRow& row : markupRows())
            QVERIFY2(findMenuItem(QString::fromLatin1(row.item)), row.item);
    }
};

QTEST_APPLESS_MAIN(MenuTreeTest)
#include "test_menu_tree.moc"
