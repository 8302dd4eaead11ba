#include "ui/application.h"
#include "app/main_window.h"
#include "document/document.h"
#include "text/iconv_codec.h"
#include "text/text_encoding.h"
#include "ui/document_box.h"
#include "ui/document_context_menu.h"
#include "window_test_support.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTest>

#include <functional>

namespace {
// The entry of the context menu's 文字コード list `list` for `encoding`.
QAction* entry(QMenu& menu, const char* list, TextEncoding encoding)
{
    auto* sub = menu.findChild<QMenu*>(QLatin1String(list));
    for (QAction* a : sub ? sub->actions() : QList<QAction*>()) {
        if (a->text() == encodingName(encoding))
            return a;
    }
    return nullptr;
}
}

class EncodingMenuTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The menu shows the encoding found, reopens the file in another (asking first when
    // there are unsaved changes) and sets the one Save writes.
    void reopenAndSaveInAnotherEncoding()
    {
        TestProgramFolder folder;
        const QByteArray euc("\xc6\xfc\xcb\xdc\xb8\xec\xa4\xce\xa5\xda\xa1\xbc\xa5\xb8\r\n"); // 日本語のページ
        folder.write("euc.htm", euc);
        HtmlE w;
        w.startUp(folder.file("euc.htm") + " on");
        QCOMPARE(w.editwindow()->documentText(), QString("日本語のページ\r\n"));
        auto menu = [&w] { return std::unique_ptr<QMenu>(DocumentContextMenu::of(w.editwindow(), &w)->build(QPoint())); };
        std::unique_ptr<QMenu> m = menu();
        QVERIFY(entry(*m, "saveEncoding", TextEncoding::EucJp)->isChecked());
        QVERIFY(entry(*m, "reopenEncoding", TextEncoding::EucJp)->isChecked());

        // With unsaved changes: No keeps them, Yes reads the bytes as Shift_JIS.
        w.editwindow()->replaceSelection("x");
        auto answer = answerNextMessageBox(QMessageBox::No);
        entry(*m, "reopenEncoding", TextEncoding::Cp932)->trigger();
        QVERIFY(answer->seen);
        QVERIFY(answer->text.contains("よろしいですか"));
        QCOMPARE(w.document().encoding(), TextEncoding::EucJp);
        answer = answerNextMessageBox(QMessageBox::Yes);
        entry(*m, "reopenEncoding", TextEncoding::Cp932)->trigger();
        QCOMPARE(w.document().encoding(), TextEncoding::Cp932);
        QVERIFY(w.document().undecodable());
        QVERIFY(!w.hasUnsavedChanges());
        // The reading is a step: one Ctrl+Z gives the text shown before it back.
        const QString asShiftJis = w.editwindow()->documentText();
        w.editwindow()->undoStep();
        QCOMPARE(w.editwindow()->documentText(), QString("x日本語のページ\r\n"));
        w.editwindow()->redoStep();
        QCOMPARE(w.editwindow()->documentText(), asShiftJis);

        // Back in EUC-JP, then written as UTF-8 from now on.
        m = menu();
        entry(*m, "reopenEncoding", TextEncoding::EucJp)->trigger();
        QCOMPARE(w.editwindow()->documentText(), QString("日本語のページ\r\n"));
        m = menu();
        entry(*m, "saveEncoding", TextEncoding::Utf8)->trigger();
        QVERIFY(w.hasUnsavedChanges()); // the file is to change, though the text has not
        trigger(w, "SaveFiLE");
        QVERIFY(!w.hasUnsavedChanges());
        QCOMPARE(folder.read("euc.htm"), QString("日本語のページ\r\n").toUtf8());

        // A character EUC-JP lacks: the question names the encoding.
        m = menu();
        entry(*m, "saveEncoding", TextEncoding::EucJp)->trigger();
        w.editwindow()->replaceSelection(QString::fromUcs4(U"\U0001F600"));
        answer = answerNextMessageBox(QMessageBox::Save);
        trigger(w, "SaveFiLE");
        QVERIFY(answer->text.contains("EUC-JP で保存できない文字"));
        QCOMPARE(folder.read("euc.htm"), "&#x1F600;" + euc);
    }

    // A new save encoding offers to change the <meta> that names the old one (from the menu,
    // and from the question's UTF-8), as one undo step that leaves the selection on what it was
    // on. A save in UTF-8 that fails changes neither the page nor its encoding.
    void declarationFollowsTheSaveEncoding()
    {
        TestProgramFolder folder;
        const QString page = QStringLiteral("<meta charset=\"Shift_JIS\">\r\n<p>日本語</p>\r\n");
        const QString utf8Page = QString(page).replace("Shift_JIS", "UTF-8");
        folder.write("page.htm", encodeText(page, TextEncoding::Cp932).bytes);
        HtmlE w;
        w.startUp(folder.file("page.htm") + " on");
        DocumentBox* box = w.editwindow();
        // Where "本" is, in text positions (one for each line break).
        const auto wordAt = [box] { return box->model().text(0, box->model().length(), u"\n").indexOf("本"); };
        box->select(wordAt() + 1, wordAt());
        std::unique_ptr<QMenu> m(DocumentContextMenu::of(box, &w)->build(QPoint()));
        Qt::TextFormat format = Qt::AutoText;
        auto answer = answerNextMessageBox(QMessageBox::Yes, [&format] {
            if (auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                format = shown->textFormat();
        });
        entry(*m, "saveEncoding", TextEncoding::Utf8)->trigger();
        QVERIFY(answer->seen);
        QVERIFY(answer->text.contains("<meta> は文字コードを Shift_JIS と宣言"));
        QCOMPARE(format, Qt::PlainText); // "<meta>" shown, not taken for markup
        QCOMPARE(box->documentText(), utf8Page);
        QCOMPARE(box->selection().anchor, wordAt() + 1);
        QCOMPARE(box->selection().position, wordAt());
        box->undoStep();
        QCOMPARE(box->documentText(), page);

        const QString emoji = QString::fromUcs4(U"\U0001F600");
        box->moveCursor(QTextCursor::End);
        box->replaceSelection(emoji);
        m.reset(DocumentContextMenu::of(box, &w)->build(QPoint()));
        answer = answerNextMessageBox(QMessageBox::No);
        entry(*m, "saveEncoding", TextEncoding::Cp932)->trigger();
        QVERIFY(!answer->seen); // the same name: nothing to offer
        answer.reset();
        // Answers the message boxes of a save in turn; a failure is told last, if at all.
        const auto save = [&w](QList<QMessageBox::StandardButton> buttons) {
            buttons << QMessageBox::Ok;
            QList<std::shared_ptr<MessageBoxAnswer>> answers;
            std::function<void()> next = [&] {
                const qsizetype i = answers.size();
                answers << answerNextMessageBox(buttons[i], i + 1 < buttons.size() ? next : std::function<void()>());
            };
            next();
            trigger(w, "SaveFiLE");
            return answers;
        };
        // A folder where the file was: the write fails.
        QVERIFY(QFile::remove(folder.file("page.htm")) && QDir(folder.path()).mkdir("page.htm"));
        box->select(wordAt(), wordAt());
        // Over what changed on disk: Yes; UTF-8 for the character Shift_JIS lacks, and Yes to
        // the declaration.
        auto answers = save({QMessageBox::Yes, QMessageBox::Apply, QMessageBox::Yes});
        QCOMPARE(answers.size(), 4);
        QVERIFY(answers[2]->seen && answers[3]->seen);
        QCOMPARE(answers[3]->icon, QMessageBox::Warning);
        QCOMPARE(box->documentText(), page + emoji);
        QCOMPARE(w.document().encoding(), TextEncoding::Cp932);
        QVERIFY(w.hasUnsavedChanges());

        QVERIFY(QDir(folder.path()).rmdir("page.htm"));
        answers = save({QMessageBox::Apply, QMessageBox::Yes});
        QVERIFY(answers[1]->seen && !answers[2]->seen);
        QCOMPARE(folder.read("page.htm"), (utf8Page + emoji).toUtf8());
        QCOMPARE(box->documentText(), utf8Page + emoji);
        QCOMPARE(w.document().encoding(), TextEncoding::Utf8);
        QVERIFY(!w.hasUnsavedChanges());
        QCOMPARE(box->caret(), wordAt());
        box->undoStep(); // the declaration, one step
        QCOMPARE(box->documentText(), page + emoji);
    }

    // JIS X 0213 pages are offered and shown as such; a Chinese page is said so when it opens
    // and is not written back changed without a question.
    void otherEncodings()
    {
        TestProgramFolder folder;
        folder.write("x0213.htm", encodeText(QString::fromUcs4(U"<p>𠮟る</p>\r\n"), TextEncoding::ShiftJis2004).bytes);
        HtmlE w;
        w.startUp(folder.file("x0213.htm") + " on");
        QCOMPARE(w.editwindow()->documentText(), QString::fromUcs4(U"<p>𠮟る</p>\r\n"));
        std::unique_ptr<QMenu> m(DocumentContextMenu::of(w.editwindow(), &w)->build(QPoint()));
        QVERIFY(entry(*m, "saveEncoding", TextEncoding::ShiftJis2004)->isChecked());
        QVERIFY(entry(*m, "reopenEncoding", TextEncoding::EucJis2004));

        const QString chinese = QStringLiteral("<p>我们的网站介绍中国的历史和文化。欢迎光临！这里有很多有趣的文章。</p>\r\n").repeated(2);
        const QByteArray gbk = encodeWithIconv("GBK", chinese, Unencodable::Report,
                                               [](QByteArrayView b) { return decodeWithIconv("GBK", b); }).bytes;
        folder.write("gbk.htm", gbk);
        auto notice = answerNextMessageBox(QMessageBox::Ok);
        QVERIFY(w.loadFile(folder.file("gbk.htm")));
        QTRY_VERIFY(notice->seen);
        QVERIFY(notice->text.contains("gbk.htm") && notice->text.contains("中国語または韓国語"));
        w.editwindow()->replaceSelection("x");
        auto question = answerNextMessageBox(QMessageBox::Cancel);
        trigger(w, "SaveFiLE");
        QVERIFY(question->seen);
        QVERIFY(question->text.contains("GB18030"));
        QCOMPARE(folder.read("gbk.htm"), gbk);
    }

    // A save the next open would read otherwise is asked about: a U+FEFF first in a page
    // without a byte-order mark gets one; a page of kanji two encodings read, a declaration.
    void savesThatWouldReadOtherwiseAsk()
    {
        TestProgramFolder folder;
        folder.write("mark.htm", "<p>x</p>");
        HtmlE w;
        w.startUp(folder.file("mark.htm") + " on");
        w.editwindow()->replaceSelection(QString(QChar(0xFEFF)));
        auto answer = answerNextMessageBox(QMessageBox::Apply);
        trigger(w, "SaveFiLE");
        QVERIFY(answer->text.contains("BOM"));
        QCOMPARE(folder.read("mark.htm"), QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF<p>x</p>"));
        QCOMPARE(w.document().encoding(), TextEncoding::Utf8Bom);

        const QByteArray kanji("<html><head><title>t</title></head><p>\xED\x8D</p>");
        folder.write("x0213.htm", kanji);
        HtmlE v;
        v.startUp(folder.file("x0213.htm") + " on");
        std::unique_ptr<QMenu> m(DocumentContextMenu::of(v.editwindow(), &v)->build(QPoint()));
        entry(*m, "reopenEncoding", TextEncoding::ShiftJis2004)->trigger();
        v.editwindow()->select(0, 0); // read again, the caret stood where the texts differ
        v.editwindow()->replaceSelection("a");
        answer = answerNextMessageBox(QMessageBox::Yes);
        trigger(v, "SaveFiLE");
        QVERIFY(answer->text.contains("Shift_JIS-2004"));
        QCOMPARE(folder.read("x0213.htm"),
                 QByteArray("a<html><head><meta charset=\"Shift_JIS-2004\"><title>t</title></head><p>\xED\x8D</p>"));
        QVERIFY(!v.hasUnsavedChanges());
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    prepareApplication(app);
    EncodingMenuTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_encoding_menu.moc"
