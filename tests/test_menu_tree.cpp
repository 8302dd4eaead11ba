#include "ui/menu_tree.h"
#include "ui/toolbar_table.h"

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
    }

    void everyToolbarTargetExists()
    {
        QStringList names, popups;
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
                popups << b.name;
                break;
            }
        }
        QCOMPARE(names.size(), 32);
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
        QCOMPARE(popups, QStringList({"html", "htmlP", "htmlLCR", "htmlFont", "htmlFontT", "htmlHeader",
                                      "htmlHr", "htmlImg", "htmlHref", "htmlUserTag"}));
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
};

QTEST_APPLESS_MAIN(MenuTreeTest)
#include "test_menu_tree.moc"
