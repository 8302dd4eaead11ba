#include "window_test_support.h"

#include "platform/launcher.h"
#include "site/folder_search_window.h"
#include "site/link_check_window.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>

namespace {
// A control as a screen reader finds it: by its accessible name.
template <class T>
T* named(QWidget* window, const QString& name)
{
    for (T* w : window->findChildren<T*>())
        if (w->accessibleName() == name)
            return w;
    qFatal("no control named %s", qPrintable(name));
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QTreeWidgetItem* rowFor(QTreeWidget* list, const QString& fileEnd)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->data(0, FolderSearchWindow::PathRole).toString().endsWith(fileEnd))
            return list->topLevelItem(i);
    return nullptr;
}
}

class SiteWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Search, open at a line, replace in every file (the page shown in its box), undo.
    void searchReplaceAndUndo()
    {
        TestProgramFolder folder;
        const QString site = folder.file("site");
        QDir().mkpath(site);
        const QByteArray utf8 = "<p>\xe4\xbc\x9a\xe7\xa4\xbe</p>\r\n<p>\xe4\xbc\x9a\xe7\xa4\xbe</p>\r\n";
        const QByteArray sjis = "x\n<p>\x89\xef\x8e\xd0</p>\n";
        folder.write("site/a.htm", utf8);
        folder.write("site/b.htm", sjis);
        folder.write("site/shown.htm", "top\r\n会社\r\n");
        StartedWindow w(Shown::Exposed, site + "/shown.htm on");
        w.findChild<QAction*>("folderSearch")->trigger();
        FolderSearchWindow* win = FolderSearchWindow::instance();
        QVERIFY(win && QTest::qWaitForWindowExposed(win));
        QCOMPARE(named<QLineEdit>(win, "フォルダ")->text(), site);
        QCOMPARE(named<QLineEdit>(win, "ファイル名")->text(), QString("*.htm;*.html;*.shtml;*.php;*.css;*.js;*.txt"));
        QVERIFY(named<QCheckBox>(win, "サブフォルダも")->isChecked());
        for (const char* name : {"大文字と小文字を区別する", "単語単位", "正規表現"})
            named<QCheckBox>(win, name);
        named<QLineEdit>(win, "検索する文字列")->setText("会社");
        named<QLineEdit>(win, "置換後の文字列")->setText("御社");

        QSignalSpy searched(win, &FolderSearchWindow::searchFinished);
        named<QPushButton>(win, "検索")->click();
        QVERIFY(searched.wait(10000));
        auto* results = named<QTreeWidget>(win, "結果");
        QCOMPARE(results->topLevelItemCount(), 3);
        QCOMPARE(rowFor(results, "/a.htm")->childCount(), 2);
        QVERIFY(rowFor(results, "/b.htm")->text(0).contains("Shift_JIS"));
        QCOMPARE(rowFor(results, "/b.htm")->child(0)->data(0, FolderSearchWindow::LineRole).toInt(), 2);

        // The page shown opens here; another in a new window at its line.
        Q_EMIT results->itemActivated(rowFor(results, "/shown.htm")->child(0), 0);
        QCOMPARE(w.editwindow()->model().lineAt(w.editwindow()->caret()), 2);
        QStringList started;
        platform::setStartDetachedForTesting([&](const QString&, const QStringList& args, qint64*) {
            started = args;
            return true;
        });
        Q_EMIT results->itemActivated(rowFor(results, "/b.htm")->child(0), 0);
        platform::setStartDetachedForTesting({});
        QCOMPARE(started, (QStringList{"--line", "2", QFileInfo(site).canonicalFilePath() + "/b.htm on"}));

        // Replace: asked first, each file in its own encoding, the page shown in its box.
        QSignalSpy replaced(win, &FolderSearchWindow::replaceFinished);
        auto question = answerNextMessageBox(QMessageBox::Yes);
        named<QPushButton>(win, "すべて置換")->click();
        QVERIFY(replaced.wait(10000));
        QVERIFY(question->text.contains("3 個のファイルの 4 箇所"));
        QCOMPARE(bytesOf(site + "/a.htm"), QByteArray(utf8).replace("\xe4\xbc\x9a", "\xe5\xbe\xa1"));
        QCOMPARE(bytesOf(site + "/b.htm"), QByteArray("x\n<p>\x8c\xe4\x8e\xd0</p>\n"));
        QCOMPARE(bytesOf(site + "/shown.htm"), QByteArray("top\r\n会社\r\n"));
        QCOMPARE(w.editwindow()->documentText(), QString("top\r\n御社\r\n"));
        QVERIFY(w.hasUnsavedChanges());
        w.editwindow()->undoStep();
        QCOMPARE(w.editwindow()->documentText(), QString("top\r\n会社\r\n"));

        // 元に戻す puts back every file written, byte for byte.
        auto undoQuestion = answerNextMessageBox(QMessageBox::Yes);
        named<QPushButton>(win, "元に戻す")->click();
        QVERIFY(undoQuestion->seen);
        QCOMPARE(bytesOf(site + "/a.htm"), utf8);
        QCOMPARE(bytesOf(site + "/b.htm"), sjis);
        win->close();
    }

    // Started at a line: the caret at its start; past the end, on the last line.
    void startsAtALine()
    {
        TestProgramFolder folder;
        QByteArray lines;
        for (int i = 1; i <= 300; ++i)
            lines += "line " + QByteArray::number(i) + "\r\n";
        folder.write("long.htm", lines);
        for (const auto& [asked, shown] : {std::pair{120, 120}, std::pair{9999, 301}}) {
            HtmlE w;
            w.startUp(folder.file("long.htm") + " on", asked);
            QCOMPARE(w.editwindow()->model().lineAt(w.editwindow()->caret()), shown);
            QCOMPARE(w.editwindow()->caret(), w.editwindow()->model().lineStart(shown));
        }
    }

    // リンクの確認 lists the page's dead links from the text in the box, unsaved edits included.
    void linkCheckReadsTheBox()
    {
        TestProgramFolder folder;
        QDir().mkpath(folder.file("site"));
        folder.write("site/Logo.png", "png");
        folder.write("site/page.htm", "<img src=\"Logo.png\">\r\n");
        StartedWindow w(Shown::Exposed, folder.file("site/page.htm") + " on");
        w.editwindow()->model().replace(0, 0, QString("<a href=\"gone.htm\">\n<img src=\"logo.png\">\n"));
        w.findChild<QAction*>("linkCheck")->trigger();
        LinkCheckWindow* win = LinkCheckWindow::instance();
        QVERIFY(win);
        auto* results = named<QListWidget>(win, "結果");
        QCOMPARE(results->count(), 2);
        QVERIFY(results->item(0)->text().startsWith("1 行: gone.htm"));
        QVERIFY(results->item(1)->text().endsWith("(あるのは Logo.png)"));
        Q_EMIT results->itemActivated(results->item(1));
        QCOMPARE(w.editwindow()->model().lineAt(w.editwindow()->caret()), 2);
        win->close();
    }
};

VORNIK_WINDOW_TEST_MAIN(SiteWindowTest)
#include "test_site_window.moc"
