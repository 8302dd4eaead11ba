#include "search/line_jump_window.h"
#include "search/search_session.h"
#include "search/search_window.h"
#include "ui/document_context_menu.h"
#include "ui/menu_surface.h"
#include "model/line_holding.h"
#include "window_test_support.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTextBlock>

namespace {
QString selected(const HtmlE& w)
{
    return w.editwindow()->readSelection();
}
}

class SearchWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { m_folder = std::make_unique<TestProgramFolder>(); }
    void cleanup()
    {
        delete SearchWindow::instance();
        delete LineJumpWindow::instance();
        m_folder.reset();
    }

    // The keys a user finds and replaces with, and すべて置換 taken back by one undo.
    void findAndReplaceFromTheKeyboard()
    {
        StartedWindow w(Shown::Active);
        w.editwindow()->setDocumentText("<B>one</B>\r\n<b>two</b>\r\nthree");
        DocumentBox* box = w.editwindow();
        selectRange(w, 1, 2); // "B", within one line: it becomes the text to find

        QTest::keyClick(box, Qt::Key_H, Qt::ControlModifier);
        SearchWindow* s = SearchWindow::instance();
        QVERIFY(s && s->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(s));
        auto* findText = control<QLineEdit>(s, "findText");
        QCOMPARE(findText->text(), QString("B"));
        QCOMPARE(findText->selectedText(), QString("B"));
        QCOMPARE(QApplication::focusWidget(), findText);

        // Enter finds the next from the caret; the match is selected in the document.
        QTest::keyClicks(findText, "<(/?)b>");
        control<QCheckBox>(s, "regularExpression")->setChecked(true);
        QTest::keyClick(findText, Qt::Key_Return);
        QCOMPARE(selected(w), QString("</B>"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), control<QLineEdit>(s, "replaceText"));
        QTest::keyClicks(QApplication::focusWidget(), "<\\1strong>");

        // Alt+A replaces all, says how many, and one undo takes all of it back.
        const QString before = box->documentText();
        QTest::keyClick(s, Qt::Key_A, Qt::AltModifier);
        // A mnemonic clicks the button a moment later, as the pressed look shows.
        QTRY_COMPARE(box->documentText(), QString("<strong>one</strong>\r\n<strong>two</strong>\r\nthree"));
        QVERIFY(control<QLabel>(s, "searchNote")->text().contains("4 個所"));
        box->undoStep();
        QCOMPARE(box->documentText(), before);
        box->redoStep();
        QCOMPARE(box->documentText(), QString("<strong>one</strong>\r\n<strong>two</strong>\r\nthree"));

        // A broken pattern is explained and changes nothing.
        findText->setText("(");
        QTest::keyClick(s, Qt::Key_A, Qt::AltModifier);
        QTRY_VERIFY(control<QLabel>(s, "searchNote")->text().contains("正しくありません"));
        QCOMPARE(box->documentText(), QString("<strong>one</strong>\r\n<strong>two</strong>\r\nthree"));

        // Escape closes the window and gives the document the focus back.
        findText->setText("strong");
        QTest::keyClick(findText, Qt::Key_Escape);
        QTRY_VERIFY(!SearchWindow::instance());
        QTRY_COMPARE(QApplication::focusWidget(), box);

        // F3 and Shift+F3 find again without the window, going round the ends.
        placeCaret(w, 0);
        QTest::keyClick(box, Qt::Key_F3);
        QCOMPARE(box->textCursor().selectionStart(), 1);
        QTest::keyClick(box, Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(box->textCursor().selectionStart(), 34);
    }

    // Replacing one by one, inside a selection of several lines only.
    void replaceOneInsideTheSelection()
    {
        StartedWindow w(Shown::Active);
        w.editwindow()->setDocumentText("x\r\nx x\r\nx");
        selectRange(w, 2, 6); // the whole second line and its line break
        QTest::keyClick(w.editwindow(), Qt::Key_G, Qt::ControlModifier);
        SearchWindow* s = SearchWindow::instance();
        QVERIFY(control<QCheckBox>(s, "selectionOnly")->isChecked());
        control<QLineEdit>(s, "findText")->setText("x");
        control<QLineEdit>(s, "replaceText")->setText("yy");
        s->findNext(SearchDirection::Forward);
        QCOMPARE(w.editwindow()->textCursor().selectionStart(), 2);
        s->replaceOne();
        s->replaceOne();
        QCOMPARE(w.editwindow()->documentText(), QString("x\r\nyy yy\r\nx"));
        s->replaceAll(); // nothing left in the range
        QVERIFY(control<QLabel>(s, "searchNote")->text().contains("見つかりませんでした"));
    }

    void jumpToALine()
    {
        StartedWindow w(Shown::Active);
        w.editwindow()->setDocumentText("a\r\nbb\r\nccc");
        QTest::keyClick(w.editwindow(), Qt::Key_J, Qt::ControlModifier);
        LineJumpWindow* j = LineJumpWindow::instance();
        QVERIFY(j && j->isVisible());
        QVERIFY(control<QLabel>(j, "lineRange")->text().contains("1～3"));
        auto* line = control<QLineEdit>(j, "lineNumber");
        line->setText("4");
        QTest::keyClick(line, Qt::Key_Return);
        QVERIFY(control<QLabel>(j, "lineNote")->text().contains("1 から 3"));
        QCOMPARE(caretPosition(w), 0);
        line->setText("３"); // full width, as an input method may give it
        QTest::keyClick(line, Qt::Key_Return);
        QCOMPARE(caretPosition(w), 5);
        QTRY_VERIFY(!LineJumpWindow::instance());
    }

    // A line held in pieces is searched, replaced and counted as the one line it is.
    void longLinesAreSearchedWhole()
    {
        StartedWindow w(Shown::Active);
        DocumentBox* box = w.editwindow();
        QString line;
        while (line.size() < 150000)
            line += "<p>ab</p>";
        box->setDocumentText(line + "\r\nend");
        SearchSession* session = SearchSession::of(box);
        session->pattern = "p><p"; // pieces end after a tag: this runs across every break
        const qsizetype secondPiece = box->model().toText(box->document()->findBlockByNumber(1).position());
        placeCaret(w, secondPiece - 2);
        QCOMPARE(session->find(SearchDirection::Forward).kind, SearchSession::Outcome::Found);
        QCOMPARE(selected(w), QString("p><p"));
        QCOMPARE(box->selection().start(), secondPiece - 2);

        session->replacement = "p>\n<p";
        session->options.regularExpression = true;
        QCOMPARE(session->replaceAll().count, line.size() / 9 - 1);
        QCOMPARE(box->documentText(), QString(line).replace("p><p", "p>\r\n<p") + "\r\nend");
        box->undoStep();
        QCOMPARE(box->documentText(), line + "\r\nend");

        QTest::keyClick(box, Qt::Key_J, Qt::ControlModifier);
        LineJumpWindow* j = LineJumpWindow::instance();
        QVERIFY(control<QLabel>(j, "lineRange")->text().contains("1～2"));
        auto* number = control<QLineEdit>(j, "lineNumber");
        number->setText("2");
        QTest::keyClick(number, Qt::Key_Return);
        QCOMPARE(caretPosition(w), line.size() + 1);
    }

    // Lines held a few a block are found, replaced and jumped to as lines, also after an edit.
    void groupedLinesAreSearchedAsLines()
    {
        StartedWindow w(Shown::Active);
        DocumentBox* box = w.editwindow();
        QString page;
        for (int i = 0; i <= LineHolding::kGroupFromLines; ++i)
            page += QString::number(i) + "\r\n";
        box->setDocumentText(page);
        QVERIFY(box->document()->blockCount() < LineHolding::kGroupFromLines / 4);
        SearchSession* session = SearchSession::of(box);
        selectRange(w, 1, 5); // two lines of one block: a range, not a text to find
        QTest::keyClick(box, Qt::Key_G, Qt::ControlModifier);
        QVERIFY(control<QCheckBox>(SearchWindow::instance(), "selectionOnly")->isChecked());
        delete SearchWindow::instance();
        session->searchWholeDocument();
        session->options.regularExpression = true;
        session->pattern = "^7\n8$";
        QCOMPARE(session->find(SearchDirection::Forward).kind, SearchSession::Outcome::Found);
        QCOMPARE(selected(w), QString("7\r\n8"));
        placeCaret(w, 0);
        QTest::keyClick(box, Qt::Key_X);
        session->pattern = "^19999$";
        QCOMPARE(session->find(SearchDirection::Forward).kind, SearchSession::Outcome::Found);
        QCOMPARE(selected(w), QString("19999"));
        QCOMPARE(box->model().lineAt(box->selection().start()), 20000);
        session->pattern = "\n";
        session->replacement = "<br>\n";
        QCOMPARE(session->replaceAll().count, LineHolding::kGroupFromLines + 1);
        QCOMPARE(box->documentText(), "x" + QString(page).replace("\r\n", "<br>\r\n"));

        QTest::keyClick(box, Qt::Key_J, Qt::ControlModifier);
        auto* number = control<QLineEdit>(LineJumpWindow::instance(), "lineNumber");
        number->setText("3");
        QTest::keyClick(number, Qt::Key_Return);
        QCOMPARE(caretPosition(w), QString("x0<br>\n1<br>\n").size());
    }

    // The right-click menu: the box's own entries, its clipboard entries running the
    // window's commands, and the search commands.
    void contextMenuGoesThroughTheWindow()
    {
        StartedWindow w(Shown::Active);
        w.editwindow()->setDocumentText("abc");
        selectRange(w, 0, 1);
        QGuiApplication::clipboard()->setText("p");
        QSignalSpy cut(w.menus().action("clipcut"), &QAction::triggered);
        QSignalSpy copy(w.menus().action("clipcopy"), &QAction::triggered);
        QSignalSpy paste(w.menus().action("clippaste"), &QAction::triggered);
        std::unique_ptr<QMenu> menu(DocumentContextMenu::of(w.editwindow(), &w)->build(QPoint()));
        QStringList names;
        for (QAction* a : menu->actions())
            names << a->objectName();
        for (const char* name : {"edit-undo", "searchFind", "searchNext", "jumpToLine"})
            QVERIFY2(names.contains(name), qPrintable(names.join(',')));
        for (const char* name : {"edit-copy", "edit-cut", "edit-paste"})
            menu->findChild<QAction*>(name)->trigger();
        QCOMPARE(copy.count() + cut.count() + paste.count(), 3);

        QTest::mouseClick(w.editwindow()->viewport(), Qt::MiddleButton, {}, QPoint(2, 2));
        QCOMPARE(paste.count(), 2);
    }

private:
    std::unique_ptr<TestProgramFolder> m_folder;
};

VORNIK_WINDOW_TEST_MAIN(SearchWindowTest)
#include "test_search_window.moc"
