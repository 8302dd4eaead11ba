#include "document/document.h"
#include "document/insertion_point.h"
#include "model/line_holding.h"
#include "ui/document_box.h"
#include "window_test_support.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

namespace {
QString longLine()
{
    QString line;
    while (line.size() < 150000)
        line += "<p>ab</p>";
    return line;
}

QString manyLines()
{
    QString page;
    for (int i = 0; i <= LineHolding::kGroupFromLines; ++i)
        page += QString::number(i) + "\r\n";
    return page;
}

// Where the n-th block of the box starts, as a text position.
qsizetype blockStart(DocumentBox* box, int n)
{
    return box->model().toText(box->document()->findBlockByNumber(n).position());
}

void commit(DocumentBox* box, const QString& text, int replacementStart = 0, int replacementLength = 0)
{
    QInputMethodEvent e;
    e.setCommitString(text, replacementStart, replacementLength);
    QApplication::sendEvent(box, &e);
}

bool wrapped(DocumentBox* box)
{
    return box->lineWrapMode() == QPlainTextEdit::WidgetWidth;
}
}

class TextModelTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { m_folder = std::make_unique<TestProgramFolder>(); }
    void cleanup() { m_folder.reset(); }

    // Steps as people expect them: a typed word, a run of BackSpace, a whole page replaced are
    // one Ctrl+Z each; the caret stays at the change and the view near it; undone back to the
    // saved text, the page is unchanged again.
    void undoTakesBackWhatPeopleDid()
    {
        HtmlE w;
        w.resize(600, 400);
        w.show();
        DocumentBox* box = w.editwindow();
        TextModel& model = box->model();
        qint64 now = 0;
        model.setClock([&now] { return now; });
        QString page;
        for (int i = 1; i <= 1000; ++i)
            page += QStringLiteral("<p>line %1</p>\r\n").arg(i);
        w.setDocument(page);
        w.document().takeTextAsBaseline();
        const qsizetype end997 = model.lineStart(998) - 1;
        placeCaret(w, int(end997));
        QTest::keyClicks(box, "abcdefgh");
        QVERIFY(w.hasUnsavedChanges());
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(model.text(), page);
        QCOMPARE(box->caret(), end997);
        QVERIFY(box->firstShownBlock().blockNumber() > 900); // the view stayed near the change
        QVERIFY(!w.hasUnsavedChanges() && model.isAtSaved());
        QTest::keyClick(box, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(box->caret(), end997 + 8);
        QVERIFY(w.hasUnsavedChanges());

        // BackSpace four times, then Delete twice: two steps; a pause ends a run.
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClick(box, Qt::Key_Backspace);
        now += 5000;
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClick(box, Qt::Key_Backspace);
        placeCaret(w, 0);
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClick(box, Qt::Key_Delete);
        const int steps = model.undoCount();
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box->caret(), 2); // after the text restored
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box->caret(), end997 + 6);
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(model.undoCount(), steps - 3);
        QCOMPARE(model.text(), QString(page).insert(page.indexOf("<p>line 998<") - 2, "abcdefgh"));

        // A whole page replaced (a copy restored, the file read again) is one step too.
        const QString before = model.text();
        model.replaceWholePage("<p>restored</p>");
        QCOMPARE(box->caret(), 3);
        box->undoStep();
        QCOMPARE(model.text(), before);
        QCOMPARE(model.strayChanges(), 0);
        QVERIFY(!box->document()->isUndoRedoEnabled());
    }

    // A line too long to lay out whole is held in pieces, shown wrapped, and read, typed and
    // undone as the one line it is; soft breaks never become line breaks or the reverse.
    void longLinesAreOneLine()
    {
        HtmlE w;
        w.startUp(QString());
        DocumentBox* box = w.editwindow();
        const TextModel& model = box->model();
        const QString line = longLine();
        const QString page = line + "\r\nend\r\n";
        box->setDocumentText(page);
        QCOMPARE(box->documentText(), page);
        QCOMPARE(model.lineCount(), 3);
        QVERIFY(wrapped(box) && !model.isUndoAvailable());
        const qsizetype at = blockStart(box, 1); // the first soft break's place
        QVERIFY(box->document()->findBlockByNumber(0).text().endsWith(u'>'));
        selectRange(w, at - 1, at + 1);
        QCOMPARE(w.insertion().readSelection(), page.mid(at - 1, 2));

        // Keys beside a break take the character beyond it; Enter and Ctrl+Backspace too.
        const auto text = [&model] { return model.text(0, model.length(), u"\n"); };
        QString expected = QString(page).replace("\r\n", "\n");
        placeCaret(w, at);
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClick(box, Qt::Key_Delete);
        expected.remove(at - 1, 2);
        QCOMPARE(text(), expected);
        QTextCursor pieceStart(box->document()->findBlockByNumber(1)); // the box's own place
        box->setTextCursor(pieceStart);
        QTest::keyClick(box, Qt::Key_Backspace, Qt::ControlModifier);
        QCOMPARE(text(), QString(expected).remove(box->caret(), expected.size() - text().size()));
        expected = text();
        // Enter over a selection inside a piece; typing over a selection from a piece's start
        // into the next line, and from the page's start across both kinds of break: the text
        // says what the screen shows.
        const qsizetype second = blockStart(box, 1);
        selectRange(w, second + 10, second + 20);
        QTest::keyClick(box, Qt::Key_Return);
        expected.replace(second + 10, 10, "\n");
        QCOMPARE(text(), expected);
        const qsizetype piece = blockStart(box, 3);
        const qsizetype intoEnd = expected.indexOf("\nend") + 3;
        selectRange(w, piece, intoEnd);
        QTest::keyClick(box, Qt::Key_Z);
        expected.replace(piece, intoEnd - piece, "z");
        QCOMPARE(text(), expected);
        // Its lines are short enough now to be held whole again.
        QVERIFY(box->document()->blockCount() == 3 && !wrapped(box));
        const qsizetype intoPiece = expected.indexOf(u'\n') + 3;
        selectRange(w, 0, intoPiece);
        QTest::keyClick(box, Qt::Key_Y);
        expected.replace(0, intoPiece, "y");
        QCOMPARE(text(), expected);
        QCOMPARE(model.lineCount(), 2);
        while (model.isUndoAvailable())
            box->undoStep();
        QCOMPARE(box->documentText(), page);

        // A line made long by joining two is held in pieces in the same step, and the page
        // is unwrapped again once the step is undone.
        box->setDocumentText(QString(60000, u'a') + "\r\n" + QString(60000, u'b'));
        QVERIFY(!wrapped(box));
        placeCaret(w, 60000);
        QTest::keyClick(box, Qt::Key_Delete);
        QVERIFY(wrapped(box) && box->document()->blockCount() > 2);
        QCOMPARE(box->documentText(), QString(60000, u'a') + QString(60000, u'b'));
        box->undoStep();
        QVERIFY(!wrapped(box));
        QCOMPARE(model.lineCount(), 2);
        QCOMPARE(model.strayChanges(), 0);
    }

    // A page of many lines is held a few lines a block; lines are counted, typed, put in and
    // shown to the input method as lines, U+2028 of its own included.
    void manyLinesAreLines()
    {
        HtmlE w;
        w.startUp(QString());
        DocumentBox* box = w.editwindow();
        const TextModel& model = box->model();
        const QString page = manyLines();
        box->setDocumentText(page);
        QVERIFY(box->document()->blockCount() < LineHolding::kGroupFromLines / 4);
        QCOMPARE(box->documentText(), page);
        QCOMPARE(model.lineCount(), LineHolding::kGroupFromLines + 2);
        QCOMPARE(model.lineStart(3), 4); // after "0", "1"
        QCOMPARE(model.lineAt(5), 3);
        placeCaret(w, 5);
        QCOMPARE(box->inputMethodQuery(Qt::ImSurroundingText).toString(), QString("2"));
        QCOMPARE(box->inputMethodQuery(Qt::ImCursorPosition).toInt(), 1);

        // Backspace joins two lines, Enter and Shift+Enter part them, a paste and the input
        // method put in U+2028 or line breaks as given.
        placeCaret(w, 2);
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Return, Qt::ShiftModifier);
        box->replaceSelection(QString("a") + QChar::LineSeparator + "b\r\nc");
        commit(box, QString("d\ne") + QChar::LineSeparator);
        const QString typed = "0\r\n\r\na" + QString(QChar::LineSeparator) + "b\r\ncd\r\ne"
            + QChar::LineSeparator + "1\r\n";
        QCOMPARE(box->documentText(), typed + page.mid(6));
        QCOMPARE(model.lineCount(), LineHolding::kGroupFromLines + 5);
        while (model.isUndoAvailable())
            box->undoStep();
        QCOMPARE(box->documentText(), page);
        while (model.isRedoAvailable())
            box->redoStep();
        QCOMPARE(box->documentText(), typed + page.mid(6));
        QVERIFY(!wrapped(box));
        QCOMPARE(model.strayChanges(), 0);
    }

    // A page given in parts, each whole lines, is held as the same page given whole: its
    // groups, its long lines in pieces, its own breaks, its last line with or without a break.
    void pagesInPartsAreHeldAsWhole()
    {
        HtmlE whole, inParts;
        whole.startUp(QString());
        inParts.startUp(QString());
        const QString own = QString(QChar::ParagraphSeparator) + "x\r\n";
        const QString pages[] = {manyLines(), manyLines() + longLine() + "\r\n" + own + "end",
                                 longLine() + "\r\n" + longLine(), "a\r\n\r\nb"};
        for (const QString& page : pages) {
            QList<QString> parts;
            for (qsizetype from = 0; from < page.size();) {
                qsizetype end = page.indexOf("\r\n", from + 1 + QRandomGenerator::global()->bounded(40000));
                end = end < 0 ? page.size() : end + 2;
                parts.append(page.sliced(from, end - from));
                from = end;
            }
            whole.editwindow()->setDocumentText(page);
            inParts.document().model().setText(parts, LineHolding::shapeOf(QList<QString>(parts)));
            QVERIFY(std::all_of(parts.cbegin(), parts.cend(), [](const QString& p) { return p.isNull(); }));
            const QTextDocument* a = whole.editwindow()->document();
            const QTextDocument* b = inParts.editwindow()->document();
            QCOMPARE(inParts.editwindow()->documentText(), page);
            QCOMPARE(b->blockCount(), a->blockCount());
            QCOMPARE(b->toRawText(), a->toRawText());
            for (QTextBlock x = a->begin(), y = b->begin(); x.isValid(); x = x.next(), y = y.next())
                QVERIFY(x.blockFormat() == y.blockFormat());
            QCOMPARE(inParts.document().model().lineCount(), whole.document().model().lineCount());
            QVERIFY(!inParts.document().model().isUndoAvailable());
        }
    }

    // Inside LayoutOnly the document may report a pre-edit or formats, never a change of the
    // text: one of the same length is counted as stray and reported like any other.
    void textChangedAsLayoutIsStray()
    {
        TextModel model;
        model.setText("abc\r\ndef");
        QList<qsizetype> reported;
        connect(&model, &TextModel::changed, this, [&](qsizetype at, qsizetype, qsizetype) { reported += at; });
        QTextCursor cursor(model.document());
        const auto asLayout = [&](auto&& change) {
            const TextModel::LayoutOnly layoutOnly(model);
            cursor.beginEditBlock();
            change();
            cursor.endEditBlock();
        };
        asLayout([&] { model.document()->lastBlock().layout()->setPreeditArea(1, "xy"); });
        QCOMPARE(model.strayChanges(), 0);
        asLayout([&] {
            cursor.setPosition(0);
            cursor.setPosition(2, QTextCursor::KeepAnchor);
            cursor.insertText("zz");
        });
        QCOMPARE(model.strayChanges(), 1);
        asLayout([&] { cursor.deletePreviousChar(); });
        QCOMPARE(model.strayChanges(), 2);
        QCOMPARE(model.text(), QString("zc\r\ndef"));
        QCOMPARE(model.length(), 6);
        QCOMPARE(reported, (QList<qsizetype>{0, 1}));
    }

    // Characters a text box would turn into line breaks or drop come back as they went in,
    // through an edit, a selection and a save; so the baseline can be the file's own text.
    void unusualCharactersStayCharacters()
    {
        const QString text = QString("a") + QChar(0x00A0) + "b" + QChar(0x2028) + "c" + QChar(0x2029) + "d"
            + QChar(0xFDD0) + "\r\ne" + QChar(0xFFFC);
        m_folder->write("page.htm", text.toUtf8());
        HtmlE w;
        w.startUp(m_folder->file("page.htm") + " on");
        QCOMPARE(w.editwindow()->documentText(), text);
        QVERIFY(w.document().isBaseline(text));
        selectRange(w, 4, 7);
        QCOMPARE(w.insertion().readSelection(), text.mid(4, 3));
        placeCaret(w, 0);
        QTest::keyClick(w.editwindow(), Qt::Key_X);
        trigger(w, "SaveFiLE");
        QCOMPARE(m_folder->read("page.htm"), ("x" + text).toUtf8());
        QCOMPARE(w.editwindow()->model().lineCount(), 2);
    }

    // A paste takes text only: a list of files copied elsewhere is not pasted as addresses.
    void pasteTakesTextOnly()
    {
        HtmlE w;
        w.startUp(QString());
        auto* files = new QMimeData;
        files->setUrls({QUrl::fromLocalFile("/tmp/a.htm")});
        QGuiApplication::clipboard()->setMimeData(files);
        trigger(w, "clippaste");
        QTest::keyClick(w.editwindow(), Qt::Key_V, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(w.editwindow()->documentText(), QString());
        QGuiApplication::clipboard()->setText("text");
        trigger(w, "clippaste");
        QCOMPARE(w.editwindow()->documentText(), QString("text"));
    }

    // Text put in while a question of the save is open is no part of what was saved: it stays
    // a change, the exit asks about it, and the next save writes it.
    void insertionDuringTheSaveQuestionStaysAChange()
    {
        m_folder->write("page.htm", QByteArray("<p>\x93\xfa</p>\r\n")); // Shift_JIS
        HtmlE w;
        w.startUp(m_folder->file("page.htm") + " on");
        placeCaret(w, 3);
        w.editwindow()->replaceSelection(QString::fromUcs4(U"\U0001F600"));
        const auto asked = answerNextMessageBox(QMessageBox::Save, [&] { w.insertion().insert("late"); });
        trigger(w, "SaveFiLE");
        QVERIFY(asked->seen);
        QVERIFY(!m_folder->read("page.htm").contains("late"));
        QVERIFY(w.hasUnsavedChanges());
        const auto again = answerNextMessageBox(QMessageBox::Save);
        trigger(w, "SaveFiLE");
        QVERIFY(m_folder->read("page.htm").contains("late"));
        QVERIFY(!w.hasUnsavedChanges());
    }

    // A large selection is wrapped by inserting its two ends: the result must be the same
    // as replacing it whole, and one undo step.
    void largeWrapIsOneStep()
    {
        HtmlE w;
        w.startUp(QString());
        QString lines;
        for (int i = 0; i < 2000; ++i)
            lines += QString("<p>%1 行目</p>\r\n").arg(i);
        const int boxSize = int(QString(lines).replace("\r\n", "\n").size());
        w.editwindow()->setDocumentText("before\r\n" + lines + "after");
        selectRange(w, 7, 7 + boxSize);
        QCOMPARE(w.insertion().readSelection(), lines);
        trigger(w, "fb");
        QCOMPARE(w.editwindow()->documentText(), "before\r\n<b>" + lines + "</b>after");
        QVERIFY(!hasSelection(w));
        QCOMPARE(caretPosition(w), 7 + 3 + boxSize + 4);
        w.editwindow()->undoStep();
        QCOMPARE(w.editwindow()->documentText(), "before\r\n" + lines + "after");

        // A text that merely contains the selection elsewhere replaces it whole.
        selectRange(w, 7, 7 + boxSize);
        w.insertion().insert(QString(70000, u'-') + w.insertion().readSelection());
        QCOMPARE(w.editwindow()->documentText(), "before\r\n" + QString(70000, u'-') + lines + "after");
    }

private:
    std::unique_ptr<TestProgramFolder> m_folder;
};

VORNIK_WINDOW_TEST_MAIN(TextModelTest)
#include "test_text_model.moc"
