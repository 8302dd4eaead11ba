#include "app/application.h"
#include "ui/document_box.h"
#include "app/main_window.h"
#include "document/document.h"
#include "document/insertion_point.h"
#include "platform/file_exists.h"
#include "ui/menu_surface.h"
#include "ui/soft_breaks.h"
#include "window_test_support.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

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
        QCOMPARE(caretPosition(w), box->document()->characterCount() - 1);

        // One undo step takes the whole replacement back.
        box->undo();
        QCOMPARE(box->documentText(), QString("x\r\nend"));
    }

    // A line too long to lay out whole is shown wrapped, its text untouched, however it
    // arrives and whatever font follows; the next ordinary page is shown unwrapped again.
    void hugeLinesAreShownWrapped()
    {
        HtmlE w;
        w.startUp(QString());
        DocumentBox* box = w.editwindow();
        const auto guarded = [box] { return box->lineWrapMode() == QPlainTextEdit::WidgetWidth; };
        const QString huge = QString(200000, u'x') + "\r\nend";
        box->setDocumentText(huge);
        QVERIFY(guarded());
        QCOMPARE(box->documentText(), huge);
        QFont font = box->font();
        font.setPointSize(font.pointSize() + 3);
        font.setStrikeOut(true);
        box->setFont(font);
        QVERIFY(guarded());
        QVERIFY(box->document()->defaultFont().strikeOut());

        box->setDocumentText("short\r\nlines");
        QCOMPARE(box->lineWrapMode(), QPlainTextEdit::NoWrap);
        QVERIFY(!guarded());
        box->replaceSelection(QString(200000, u'y'));
        QVERIFY(guarded());
        // Two lines joined by an insertion make one too long.
        box->setDocumentText(QString(60000, u'a') + "\r\n" + QString(60000, u'b'));
        QVERIFY(!guarded());
        selectRange(w, 59999, 60002);
        box->replaceSelection("-");
        QVERIFY(guarded());
        QCOMPARE(box->documentText().size(), 119999);
    }

    // Such a line is held in pieces joined by soft breaks, which are no part of the text: not
    // in what is read or saved, and not made real by the keys beside them, Enter or undo.
    void longLinesAreHeldInPieces()
    {
        HtmlE w;
        w.startUp(QString());
        DocumentBox* box = w.editwindow();
        const SoftBreaks& soft = box->softBreaks();
        QString line;
        while (line.size() < 150000)
            line += "<p>ab</p>";
        const QString page = line + "\r\nend\r\n"; // before its end, text positions are page's
        box->setDocumentText(page);
        QCOMPARE(box->documentText(), page);
        QCOMPARE(soft.lineCount(), 3);
        QVERIFY(!box->document()->isUndoAvailable());
        const QTextBlock piece = box->document()->findBlockByNumber(1);
        QVERIFY(SoftBreaks::follows(piece) && !SoftBreaks::follows(piece.previous()));
        QVERIFY(piece.previous().text().endsWith(u'>')); // pieces end at a tag where they can
        const int at = piece.position();
        const qsizetype textAt = soft.toText(at);
        QCOMPARE(soft.toBox(textAt), at - 1);
        selectRange(w, at - 2, at + 2);
        QCOMPARE(w.insertion().readSelection(), page.mid(textAt - 1, 3));

        // Backspace and Delete beside a break take the character beyond it.
        placeCaret(w, at);
        QTest::keyClick(box, Qt::Key_Backspace);
        placeCaret(w, at - 2);
        QTest::keyClick(box, Qt::Key_Delete);
        QCOMPARE(box->documentText(), QString(page).remove(textAt - 1, 2));
        // Enter at a piece's start is a real line break.
        placeCaret(w, at - 1);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(box->documentText(), QString(page).remove(textAt - 1, 2).insert(textAt - 1, "\r\n"));
        while (box->document()->isUndoAvailable())
            box->undo();
        QCOMPARE(box->documentText(), page);
        // A break deleted with a selection comes back soft.
        selectRange(w, at - 1, at + 1);
        QTest::keyClick(box, Qt::Key_Delete);
        box->undo();
        QCOMPARE(box->documentText(), page);

        // A long line inserted into an ordinary page is put in pieces in the same undo step.
        box->setDocumentText("a\r\nb");
        placeCaret(w, 1);
        box->replaceSelection(line);
        QVERIFY(box->document()->blockCount() > 2);
        QCOMPARE(box->documentText(), "a" + line + "\r\nb");
        box->undo();
        QCOMPARE(box->documentText(), QString("a\r\nb"));
    }

    // A page of many lines is held a few lines a block; what is read, typed and put in is the
    // same as a line a block, U+2028 included.
    void manyLinesAreHeldInGroups()
    {
        HtmlE w;
        w.startUp(QString());
        DocumentBox* box = w.editwindow();
        QString page;
        for (int i = 0; i <= SoftBreaks::kGroupFromLines; ++i)
            page += QString::number(i) + "\r\n";
        box->setDocumentText(page);
        const SoftBreaks& lines = box->softBreaks();
        QVERIFY(lines.grouped() && box->document()->blockCount() < SoftBreaks::kGroupFromLines / 4);
        QCOMPARE(box->documentText(), page);
        QCOMPARE(lines.lineCount(), SoftBreaks::kGroupFromLines + 2);
        QCOMPARE(lines.lineStart(3), 4); // after "0", "1"
        QCOMPARE(lines.lineAt(5), 3);
        selectRange(w, 1, 5);
        QCOMPARE(w.insertion().readSelection(), QString("\r\n1\r\n2"));

        // Backspace joins two lines, Enter parts them, Shift+Enter and a paste put in U+2028.
        placeCaret(w, 2);
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Return, Qt::ShiftModifier);
        box->replaceSelection(QString("a") + QChar::LineSeparator + "b\r\nc");
        const QString typed = "0\r\n" + QString(QChar::LineSeparator) + "a" + QChar::LineSeparator + "b\r\nc1\r\n";
        QCOMPARE(box->documentText(), typed + page.mid(6));
        QCOMPARE(lines.lineCount(), SoftBreaks::kGroupFromLines + 3);
        while (box->document()->isUndoAvailable())
            box->undo();
        QCOMPARE(box->documentText(), page);
        while (box->document()->isRedoAvailable())
            box->redo();
        QCOMPARE(box->documentText(), typed + page.mid(6));
        QCOMPARE(box->lineWrapMode(), QPlainTextEdit::NoWrap);
    }

    // Characters a text box would turn into line breaks or drop come back as they went in,
    // also through a selection.
    void unusualCharactersSurviveTheBox()
    {
        HtmlE w;
        w.startUp(QString());
        const QString text = QString("a") + QChar(0x00A0) + "b" + QChar(0x2028) + "c\r\nd" + QChar(0xFFFC);
        w.editwindow()->replaceSelection(text);
        QCOMPARE(w.editwindow()->documentText(), text);
        selectRange(w, 0, 4);
        QCOMPARE(w.insertion().readSelection(), text.left(4));
    }

    // Where the box cannot hold a file's text as it is, the baseline is what the box holds,
    // or undoing an edit would leave the file looking changed.
    void baselineIsWhatTheBoxHolds()
    {
        for (const char16_t c : {u'\x2029', u'\xFDD0', u'\xFDD1'}) {
            m_folder->write("page.htm", (QString("a") + QChar(c) + "b\r\n").toUtf8());
            HtmlE w;
            w.startUp(m_folder->file("page.htm") + " on");
            QCOMPARE(w.document().TxtRam(), w.editwindow()->documentText());
        }
    }

private:
    std::unique_ptr<TestProgramFolder> m_folder;
};

VORNIK_WINDOW_TEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
