#include "app/application.h"
#include "app/main_window.h"
#include "document/document.h"
#include "text/text_encoding.h"
#include "ui/document_box.h"
#include "ui/document_context_menu.h"
#include "window_test_support.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

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
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    prepareApplication(app);
    EncodingMenuTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_encoding_menu.moc"
