#include "ui/application.h"
#include "ui/document_box.h"
#include "app/main_window.h"
#include "document/document.h"
#include "document/insertion_point.h"
#include "platform/file_exists.h"
#include "ui/menu_surface.h"
#include "window_test_support.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

class MainWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<TestProgramFolder>();
    }
    void cleanup() { m_folder.reset(); }

    void unreadableCommandLineFileLeavesAnEmptyDocument_data()
    {
        QTest::addColumn<QString>("tail");
        // A path where nothing is yet, or without the ending, opens as people expect (the
        // opening suite); these name no file to open.
        QTest::newRow("folder") << "sub on";
        QTest::newRow("too short") << "on";
    }
    void unreadableCommandLineFileLeavesAnEmptyDocument()
    {
        QFETCH(QString, tail);
        QDir(m_folder->path()).mkdir("sub");
        m_folder->write("page.htm", "text");
        HtmlE w;
        w.startUp(tail == "on" ? tail : m_folder->path() + tail);
        QVERIFY(w.editwindow()->isEmpty());
        QVERIFY(w.document().FilePath().isEmpty());
        QVERIFY(!w.menus().action("SaveFiLE")->isEnabled());
        QVERIFY(!QFile::exists(m_folder->file("vornik!.ini")));
    }

    void resizeKeepsTheBoxInsideTheClientArea()
    {
        HtmlE w;
        w.startUp(QString());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resize(700, 500);
        QTRY_COMPARE(w.editwindow()->geometry(),
                     QRect(4, 28, w.clientArea()->width() - 6, w.clientArea()->height() - 29));
        const QRect last = w.editwindow()->geometry();
        // Below the minimum the assignment is skipped and the box keeps its last height.
        w.clientArea()->resize(w.clientArea()->width(), 10);
        QCOMPARE(w.editwindow()->geometry(), last);
    }

    // Exit asks only about unsaved changes, Force exit never; neither writes vornik!.ini.
    void exitAndForceExit_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("typed"); // "" leaves the file as loaded, "-" empties it
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("ends");
        QTest::newRow("unchanged") << "Fin" << "" << int(QMessageBox::NoButton) << true;
        QTest::newRow("typed, No") << "Fin" << "x" << int(QMessageBox::No) << false;
        QTest::newRow("typed, Yes") << "Fin" << "x" << int(QMessageBox::Yes) << true;
        // An empty document never asks, even though it differs from the file.
        QTest::newRow("emptied") << "Fin" << "-" << int(QMessageBox::NoButton) << true;
        QTest::newRow("force, typed") << "gotoend" << "x" << int(QMessageBox::NoButton) << true;
    }
    void exitAndForceExit()
    {
        QFETCH(QString, item);
        QFETCH(QString, typed);
        QFETCH(int, answer);
        QFETCH(bool, ends);
        m_folder->write("page.htm", "saved\r\n");
        HtmlE w;
        QSignalSpy ended(&w, &HtmlE::endRequested);
        w.startUp(m_folder->file("page.htm") + " on");
        if (typed == "-")
            w.editwindow()->selectAll();
        if (!typed.isEmpty())
            w.editwindow()->replaceSelection(typed == "-" ? QString() : typed);

        const auto asked = answerNextMessageBox(answer ? QMessageBox::StandardButton(answer) : QMessageBox::Cancel);
        trigger(w, item);
        QCOMPARE(asked->seen, answer != QMessageBox::NoButton);
        if (asked->seen)
            QCOMPARE(asked->defaultButton, QMessageBox::Yes);
        QCOMPARE(ended.count(), ends ? 1 : 0);
        if (!ends)
            QCOMPARE(w.editwindow()->documentText(), QString("xsaved\r\n"));
        QVERIFY(!QFile::exists(m_folder->file("vornik!.ini")));
    }

    void frameCloseWritesSettingsThenAsks()
    {
        HtmlE w;
        QSignalSpy ended(&w, &HtmlE::endRequested);
        w.startUp(QString());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.editwindow()->replaceSelection("unsaved");

        auto answer = answerNextMessageBox(QMessageBox::No);
        QVERIFY(!w.close());
        QVERIFY(answer->seen);
        QVERIFY(w.isVisible());
        QCOMPARE(ended.count(), 0);
        const QRect frame = w.frameGeometry();
        QCOMPARE(m_folder->read("vornik!.ini"), QString("%1\r\n%2\r\n%3\r\n%4\r\n")
                     .arg(frame.top()).arg(frame.left()).arg(frame.height()).arg(frame.width()).toLatin1());

        answer = answerNextMessageBox(QMessageBox::Yes);
        QVERIFY(w.close());
        QCOMPARE(ended.count(), 1);
    }

    // Unchanged, the frame closes without a question, even where the settings cannot be
    // written: a folder in place of the file makes the write fail, even for root.
    void frameCloseWithUnwritableSettingsGoesOn()
    {
        HtmlE w;
        QSignalSpy ended(&w, &HtmlE::endRequested);
        w.startUp(QString());
        QDir(m_folder->path()).mkdir("vornik!.ini");
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const auto asked = answerNextMessageBox(QMessageBox::Cancel);
        QVERIFY(w.close());
        QVERIFY(!asked->seen);
        QCOMPARE(ended.count(), 1);
    }

    // Every command wraps through the one replacement: text and caret afterwards, one undo.
    void wrappingLeavesTheCaretAfterTheNewText()
    {
        HtmlE w;
        w.startUp(QString());
        DocumentBox* box = w.editwindow();

        // Empty selection: both tags at the caret, the caret after the closing one.
        trigger(w, "fb");
        QCOMPARE(box->documentText(), QString("<b></b>"));
        QCOMPARE(caretPosition(w), 7);
        QVERIFY(!hasSelection(w));

        // A word: wrapped, then a second command wraps the empty selection after it.
        box->setDocumentText("one word two");
        selectRange(w, 4, 8);
        trigger(w, "fb");
        QCOMPARE(box->documentText(), QString("one <b>word</b> two"));
        QCOMPARE(w.state().SelRam, QString("word"));
        QCOMPARE(w.insertion().TagRam(), QString("<b>word</b>"));
        QCOMPARE(caretPosition(w), 15);
        trigger(w, "fb");
        QCOMPARE(box->documentText(), QString("one <b>word</b><b></b> two"));

        // Several lines are wrapped as one piece; their line breaks stay.
        box->setDocumentText("a\r\nb\r\nc");
        selectRange(w, 0, 3); // "a", the break, "b"
        trigger(w, "fcode");
        QCOMPARE(box->documentText(), QString("<code>a\r\nb</code>\r\nc"));

        // At the end of the document the closing text ends it.
        box->setDocumentText("x\r\nend");
        selectRange(w, 2, 5);
        trigger(w, "fsamp");
        QCOMPARE(box->documentText(), QString("x\r\n<samp>end</samp>"));
        QCOMPARE(caretPosition(w), box->model().length());

        // One undo step takes the whole replacement back.
        box->undoStep();
        QCOMPARE(box->documentText(), QString("x\r\nend"));
    }

private:
    std::unique_ptr<TestProgramFolder> m_folder;
};

VORNIK_WINDOW_TEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
