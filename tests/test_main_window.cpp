#include "app/application.h"
#include "app/document_box.h"
#include "app/main_window.h"
#include "app/paths.h"
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
        programPaths() = PathParts();
    }
    void cleanup() { m_folder.reset(); }

    void commandLineFileIsLoaded()
    {
        m_folder->write("page.htm", "a\r\nb\r\n");
        HtmlE w;
        w.startUp(m_folder->file("page.htm") + " on");
        QCOMPARE(w.editwindow()->documentText(), QString("a\r\nb\r\n"));
        QCOMPARE(w.TxtRam(), QString("a\r\nb\r\n"));
        QCOMPARE(w.state().FilePath, m_folder->file("page.htm"));
        QVERIFY(w.menus().action("SaveFiLE")->isEnabled());
        QVERIFY(!w.hasUnsavedChanges());
        // The title names the file at once.
        QVERIFY(w.windowTitle().startsWith("page.htm "));
    }

    void pathWithBlanksAndLfFile()
    {
        QDir(m_folder->path()).mkdir("a b");
        m_folder->write("a b/x.htm", "one\ntwo\n");
        HtmlE w;
        w.startUp(m_folder->file("a b/x.htm") + " on");
        QCOMPARE(w.editwindow()->documentText(), QString("one\r\ntwo\r\n"));
        QCOMPARE(w.state().lineEnding, LineEnding::Lf);
    }

    void unreadableCommandLineFileLeavesAnEmptyDocument_data()
    {
        QTest::addColumn<QString>("tail");
        QTest::newRow("missing") << "missing.htm on";
        QTest::newRow("folder") << "sub on";
        QTest::newRow("no ending") << "page.htm";
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
        QVERIFY(w.state().FilePath.isEmpty());
        QVERIFY(!w.menus().action("SaveFiLE")->isEnabled());
        QVERIFY(!QFile::exists(m_folder->file("vornik!.ini")));
    }

    void clientAreaAndSettingsFile()
    {
        {
            HtmlE w;
            w.startUp(QString());
            QCOMPARE(w.clientArea()->size(), QSize(618, 408));
            QCOMPARE(w.editwindow()->geometry(), QRect(4, 28, 612, 379));
        }
        m_folder->write("vornik!.ini", "10\r\n20\r\n300\r\n400\r\n");
        HtmlE w;
        w.startUp(QString());
        QCOMPARE(w.frameGeometry(), QRect(20, 10, 400, 300));
    }

    void resizeKeepsTheBoxInsideTheClientArea()
    {
        HtmlE w;
        w.startUp(QString());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resize(700, 500);
        QTRY_COMPARE(w.editwindow()->width(), w.clientArea()->width() - 6);
        QCOMPARE(w.editwindow()->height(), w.clientArea()->height() - 29);
        const int lastHeight = w.editwindow()->height();
        // Below the minimum the assignment is skipped and the box keeps its last height.
        w.clientArea()->resize(w.clientArea()->width(), 10);
        QCOMPARE(w.editwindow()->height(), lastHeight);
        QCOMPARE(w.editwindow()->pos(), QPoint(4, 28));
    }

    void exitAsksOnlyAboutUnsavedChanges()
    {
        m_folder->write("page.htm", "saved\r\n");
        HtmlE w;
        QSignalSpy ended(&w, &HtmlE::endRequested);
        w.startUp(m_folder->file("page.htm") + " on");

        // Equal to the baseline: no question.
        trigger(w, "Fin");
        QCOMPARE(ended.count(), 1);

        // After typing: the question, and No keeps everything.
        HtmlE typed;
        QSignalSpy typedEnded(&typed, &HtmlE::endRequested);
        typed.startUp(m_folder->file("page.htm") + " on");
        typed.editwindow()->replaceSelection("x");
        auto answer = answerNextMessageBox(QMessageBox::No);
        trigger(typed, "Fin");
        QVERIFY(answer->seen);
        QCOMPARE(answer->title, QString("vornik!"));
        QCOMPARE(answer->text, QString("文書を保存していません。\n本当に終了してよろしいですか？"));
        QCOMPARE(answer->icon, QMessageBox::Warning);
        QCOMPARE(answer->defaultButton, QMessageBox::Yes);
        QCOMPARE(typedEnded.count(), 0);
        QCOMPARE(typed.editwindow()->documentText(), QString("xsaved\r\n"));

        answer = answerNextMessageBox(QMessageBox::Yes);
        trigger(typed, "Fin");
        QVERIFY(answer->seen);
        QCOMPARE(typedEnded.count(), 1);

        // An empty document never asks, even though it differs from the file.
        HtmlE emptied;
        QSignalSpy emptiedEnded(&emptied, &HtmlE::endRequested);
        emptied.startUp(m_folder->file("page.htm") + " on");
        emptied.editwindow()->selectAll();
        emptied.editwindow()->replaceSelection(QString());
        trigger(emptied, "Fin");
        QCOMPARE(emptiedEnded.count(), 1);

        // Force exit never asks. Neither way writes the settings file.
        HtmlE forced;
        QSignalSpy forcedEnded(&forced, &HtmlE::endRequested);
        forced.startUp(QString());
        forced.editwindow()->replaceSelection("unsaved");
        trigger(forced, "gotoend");
        QCOMPARE(forcedEnded.count(), 1);
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
        QCOMPARE(m_folder->read("vornik!.ini"),
                 QString("%1\r\n%2\r\n%3\r\n%4\r\n").arg(frame.top()).arg(frame.left()).arg(frame.height()).arg(frame.width()).toLatin1());

        answer = answerNextMessageBox(QMessageBox::Yes);
        QVERIFY(w.close());
        QCOMPARE(ended.count(), 1);
    }

    void frameCloseWithUnwritableSettingsGoesOn()
    {
        HtmlE w;
        QSignalSpy ended(&w, &HtmlE::endRequested);
        w.startUp(QString());
        // A folder in place of the file makes the write fail, even for root.
        QDir(m_folder->path()).mkdir("vornik!.ini");
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.close());
        QCOMPARE(ended.count(), 1);
    }

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
        QCOMPARE(w.state().TagRam, QString("<b>word</b>"));
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
        QCOMPARE(caretPosition(w), box->document()->characterCount() - 1);

        // One undo step takes the whole replacement back.
        box->undo();
        QCOMPARE(box->documentText(), QString("x\r\nend"));
    }

    void unusualCharactersSurviveTheBox()
    {
        HtmlE w;
        w.startUp(QString());
        const QString text = QString("a") + QChar(0x00A0) + "b" + QChar(0x2028) + "c\r\nd";
        w.editwindow()->replaceSelection(text);
        QCOMPARE(w.editwindow()->documentText(), text);
        selectRange(w, 0, 4);
        QCOMPARE(w.readSelection(), text.left(4));
    }

private:
    std::unique_ptr<TestProgramFolder> m_folder;
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    prepareApplication(app);
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_main_window.moc"
