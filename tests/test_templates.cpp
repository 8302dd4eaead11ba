#include "document/document.h"
#include "document/insertion_point.h"
#include "text/text_encoding.h"
#include "platform/program_folder.h"
#include "tags/markup_rows.h"
#include "tags/skeleton.h"
#include "tags/template_menu.h"
#include "ui/menu_surface.h"
#include "window_test_support.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QRandomGenerator>

namespace {
// Found the way a user finds it: from the menu bar down, not by the name registry.
QAction* findInMenus(const QList<QAction*>& actions, const QString& name)
{
    for (QAction* a : actions) {
        if (a->objectName() == name && !a->menu())
            return a;
        if (a->menu()) {
            if (QAction* found = findInMenus(a->menu()->actions(), name))
                return found;
        }
    }
    return nullptr;
}

QAction* fromMenuBar(HtmlE& w, const QString& name)
{
    return findInMenus(w.menuBar()->actions(), name);
}

QStringList templateCaptions(HtmlE& w)
{
    QStringList captions;
    for (QAction* a : w.menus().menu("uTemp")->actions())
        captions << a->text();
    return captions;
}

QByteArray cp932(const QString& text)
{
    const EncodedText encoded = encodeText(text, TextEncoding::Cp932);
    Q_ASSERT(encoded.unencodableCount == 0);
    return encoded.bytes;
}

void chooseTemplate(HtmlE& w, int index)
{
    QAction* element = w.menus().arrayItem("uTemp1", index);
    QVERIFY(element);
    element->trigger();
}

// The state the reading leaves behind on every way out.
void verifyRestored(HtmlE& w)
{
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(!w.editwindow()->isHidden());
}
}

class TemplatesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<TestProgramFolder>();
        QDir(m_folder->path()).mkdir("template");
    }
    void cleanup() { m_folder.reset(); }

    // Every built-in row is an item of the menu bar and inserts its own text.
    void everyRowIsReachableFromTheMenuBar()
    {
        StartedWindow w;
        for (const MarkupRow& row : markupRows()) {
            QAction* a = fromMenuBar(w, QString::fromLatin1(row.item));
            QVERIFY2(a, row.item);
            QVERIFY2(a->isEnabled(), row.item);
            w.editwindow()->setDocumentText("[x]");
            selectRange(w, 1, 2);
            a->trigger();
            QCOMPARE(w.editwindow()->documentText(), "[" + markupText(row, "x") + "]");
        }
        // The skeleton is in both menus.
        QVERIFY(w.menus().menu("tag")->actions().contains(fromMenuBar(w, "hhtb")));
        QVERIFY(w.menus().menu("hTemplate")->actions().contains(fromMenuBar(w, "hkt")));

        // Over several lines the caret stands after the inserted text: what follows it is what
        // followed the selection, the box counting a line break as one character.
        w.editwindow()->setDocumentText("a\r\nb\r\nc");
        selectRange(w, 0, 3);
        fromMenuBar(w, "hkt")->trigger();
        const QString skeleton = QString::fromLatin1(kPageSkeleton);
        QCOMPARE(w.editwindow()->documentText(), skeleton + "\r\nc");
        QVERIFY(!hasSelection(w));
        QCOMPARE(caretPosition(w), int(QString(skeleton).replace("\r\n", "\n").size()));
    }

    void menuFromTheList_data()
    {
        QTest::addColumn<QByteArray>("list"); // null: no list file
        QTest::addColumn<bool>("withFolder");
        QTest::addColumn<QStringList>("captions");

        // How lines become entries is the list's own suite; here, what reaches the menu.
        const QStringList none{"未定義"};
        QTest::newRow("empty lines only") << QByteArray("\r\n\r\n") << true << none;
        QTest::newRow("empty file") << QByteArray("") << true << none;
        QTest::newRow("missing file") << QByteArray() << true << none;
        QTest::newRow("missing folder") << QByteArray() << false << none;
        QTest::newRow("UTF-8 captions") << QString("表のページ,表.html\r\nフォーム,f.html").toUtf8() << true
                                        << QStringList{"表のページ", "フォーム"};
        QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF") + QString("見出し,h.html").toUtf8() << true
                                        << QStringList{"見出し"};
        // Shown cut short; the entry keeps the whole caption.
        QTest::newRow("long caption") << QByteArray(1000, 'c') + ",c.html" << true
                                      << QStringList{QString(119, u'c') + QChar(0x2026)};
        // Both captions hold a CP932 character whose second byte is a backslash.
        QTest::newRow("CP932 captions") << cp932("表示,ソース.html\r\n予定表,b.html") << true
                                        << QStringList{"表示", "予定表"};
    }
    void menuFromTheList()
    {
        QFETCH(QByteArray, list);
        QFETCH(bool, withFolder);
        QFETCH(QStringList, captions);
        if (!withFolder)
            QVERIFY(QDir(m_folder->file("template")).removeRecursively());
        if (!list.isNull())
            m_folder->write("template/temp1.ini", list);
        StartedWindow w;
        QCOMPARE(templateCaptions(w), captions);
        QCOMPARE(w.menus().arrayLength("uTemp1"), captions.size());
    }

    void entriesInsertTheirFiles()
    {
        m_folder->write("template/temp1.ini", cp932("一,a.txt\r\n\r\n二,ソース.html\r\n三,sub\\c.txt\r\n"));
        m_folder->write("template/a.txt", "line one\r\nline two"); // no line end after the last line
        m_folder->write("template/ソース.html", cp932("日本語\r\n"));
        QDir(m_folder->file("template")).mkdir("sub");
        m_folder->write("template/sub/c.txt", "c\n");
        StartedWindow w;
        QCOMPARE(templateCaptions(w), QStringList({"一", "二", "三"}));
        DocumentBox* box = w.editwindow();

        chooseTemplate(w, 0);
        QCOMPARE(box->documentText(), QString("line one\r\nline two\r\n"));
        QCOMPARE(caretPosition(w), 18);
        // Twice: once at each caret position, nothing more.
        chooseTemplate(w, 0);
        QCOMPARE(box->documentText(), QString("line one\r\nline two\r\nline one\r\nline two\r\n"));
        QCOMPARE(w.insertion().TagRam(), QString("line one\r\nline two\r\n"));
        verifyRestored(w);

        // Over a selection in the middle, which the reading leaves where it was.
        box->setDocumentText("<p>old</p>");
        selectRange(w, 3, 6);
        chooseTemplate(w, 1);
        QCOMPARE(box->documentText(), QString("<p>日本語\r\n</p>"));
        QVERIFY(!hasSelection(w));
        QCOMPARE(caretPosition(w), 7);

        // Read afresh each time; a name written with a backslash finds the subfolder.
        m_folder->write("template/a.txt", "changed");
        box->setDocumentText(QString());
        chooseTemplate(w, 0);
        chooseTemplate(w, 2);
        QCOMPARE(box->documentText(), QString("changed\r\nc\r\n"));

        // One undo step per insertion.
        box->undoStep();
        QCOMPARE(box->documentText(), QString("changed\r\n"));
    }

    void emptyTemplateDeletesTheSelection()
    {
        m_folder->write("template/temp1.ini", "empty,e.txt\r\n");
        m_folder->write("template/e.txt", "");
        StartedWindow w(Shown::Active);
        w.editwindow()->setDocumentText("keep gone keep");
        selectRange(w, 5, 10);
        chooseTemplate(w, 0);
        QCOMPARE(w.editwindow()->documentText(), QString("keep keep"));
        QCOMPARE(caretPosition(w), 5);
        verifyRestored(w);
        QTRY_VERIFY(w.editwindow()->hasFocus());
    }

    // Nothing changes, the selection stays; a file that cannot be read is named in a message.
    void unreadableTemplateIsReportedByName_data()
    {
        QTest::addColumn<QByteArray>("list"); // null: no list, only the placeholder entry
        QTest::addColumn<QString>("named");
        QTest::addColumn<bool>("reported");
        QTest::newRow("placeholder without rows") << QByteArray() << "" << false;
        QTest::newRow("missing") << QByteArray("m,missing.html\r\n") << "missing.html" << true;
        QTest::newRow("empty file name") << QByteArray("e,\r\n") << "" << true;
        QTest::newRow("no entry for the element") << QByteArray("x\r\n") << "" << true;
        QTest::newRow("folder") << QByteArray("d,dir\r\n") << "dir" << true;
    }
    void unreadableTemplateIsReportedByName()
    {
        QFETCH(QByteArray, list);
        QFETCH(QString, named);
        QFETCH(bool, reported);
        if (!list.isNull())
            m_folder->write("template/temp1.ini", list);
        QDir(m_folder->file("template")).mkdir("dir");
        StartedWindow w;
        w.editwindow()->setDocumentText("one\r\ntwo");
        selectRange(w, 2, 6);
        auto answer = answerNextMessageBox(QMessageBox::Ok);
        chooseTemplate(w, 0);
        QCOMPARE(answer->seen, reported);
        QVERIFY(!reported || answer->text.endsWith("\n" + named));
        QCOMPARE(w.editwindow()->documentText(), QString("one\r\ntwo"));
        QCOMPARE(w.editwindow()->textCursor().selectionStart(), 2);
        QCOMPARE(w.editwindow()->textCursor().selectionEnd(), 6);
        verifyRestored(w);
    }

    // However malformed, a list never stops the editor from starting and working.
    void malformedListsAreHarmless_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<int>("elements");

        QByteArray binary(200000, '\0');
        QRandomGenerator random(7);
        for (char& c : binary)
            c = char(random.bounded(256));
        QTest::newRow("binary bytes") << binary << -1;
        QByteArray million;
        for (int i = 0; i < 1000000; ++i)
            million += "a,b\n";
        QTest::newRow("a million lines") << million << int(TemplateTable::kMaxElements);
    }
    void malformedListsAreHarmless()
    {
        QFETCH(QByteArray, list);
        QFETCH(int, elements);
        m_folder->write("template/temp1.ini", list);
        StartedWindow w;
        const int length = w.menus().arrayLength("uTemp1");
        QVERIFY(length >= 1 && length <= TemplateTable::kMaxElements);
        if (elements > 0)
            QCOMPARE(length, elements);
        // Menu captions stay short enough to show.
        for (int i = 0; i < length; i += 997)
            QVERIFY(w.menus().arrayItem("uTemp1", i)->text().size() <= 120);
        trigger(w, "fb");
        QCOMPARE(w.editwindow()->documentText(), QString("<b></b>"));
    }

    // The templates that come with the program are listed and all of them can be inserted.
    void starterSetShowsRealEntries()
    {
        platform::setProgramFolderForTesting(VORNIK_SOURCE_DIR "/data");
        StartedWindow w;
        const QStringList captions = templateCaptions(w);
        QVERIFY(captions.size() >= 3);
        QVERIFY(!captions.contains("未定義"));
        QVERIFY(!captions.contains(QString()));
        QString all;
        for (int i = 0; i < captions.size(); ++i) {
            w.editwindow()->setDocumentText(QString());
            auto answer = answerNextMessageBox(QMessageBox::Ok);
            chooseTemplate(w, i);
            QVERIFY2(!answer->seen, qPrintable(captions[i]));
            QVERIFY2(!w.editwindow()->isEmpty(), qPrintable(captions[i]));
            all += w.editwindow()->documentText();
        }
        QVERIFY(all.contains("<meta charset=\"utf-8\">"));
        QVERIFY(all.contains("<html lang=\"ja\">"));
        QVERIFY(all.contains("<table>"));
        QVERIFY(all.contains("<form "));
    }

private:
    std::unique_ptr<TestProgramFolder> m_folder;
};

VORNIK_WINDOW_TEST_MAIN(TemplatesTest)
#include "test_templates.moc"
