// Typing help in the document box (indentation, closing tags, selecting elements) and the
// 変換 submenu, through the main window as the user meets them.
#include "document/document.h"
#include "ui/document_context_menu.h"
#include "view/view_switches.h"
#include "window_test_support.h"

#include <QAction>
#include <QMenu>

namespace {
// `page` with "|" for the caret (or two for a selection) becomes the box's text.
void setPage(HtmlE& w, QString page)
{
    page.replace("\r\n", "\n"); // a line break is one text position
    const qsizetype anchor = page.indexOf(u'|');
    page.remove(anchor, 1);
    qsizetype caret = page.indexOf(u'|');
    if (caret >= 0)
        page.remove(caret, 1);
    else
        caret = anchor;
    w.editwindow()->setDocumentText(page);
    selectRange(w, int(anchor), int(caret));
}

void setSwitches(HtmlE& w, bool indent, bool closeTags)
{
    ViewSwitches* switches = ViewSwitches::of(w.editwindow(), &w);
    ViewSettings s = switches->settings();
    s.keepIndentation = indent;
    s.closeTags = closeTags;
    switches->setSettings(s);
}

QAction* contextEntry(HtmlE& w, const QString& name)
{
    QMenu* menu = DocumentContextMenu::of(w.editwindow(), &w)->build(QPoint());
    menu->deleteLater();
    return control<QAction>(menu, name);
}
}

class TypingHelpTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { m_folder = std::make_unique<TestProgramFolder>(); }
    void cleanup() { m_folder.reset(); }

    void keysTypeWithHelp_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("keys"); // "E" Enter, "S" Shift+Enter, else typed
        QTest::addColumn<bool>("helpOn");
        QTest::addColumn<QString>("typed");
        QTest::newRow("indentation carried over") << "  <li>a|" << "E" << true << "  <li>a\r\n  ";
        QTest::newRow("tabs and full-width spaces") << "\t\u3000<p>|" << "E" << true << "\t\u3000<p>\r\n\t\u3000";
        QTest::newRow("only blanks before the caret") << "  |  x" << "E" << true << "  \r\n    x";
        QTest::newRow("line start indents nothing") << "|  x" << "E" << true << "\r\n  x";
        QTest::newRow("selection over lines") << "  a|b\r\n    c|d" << "E" << true << "  a\r\n  d";
        QTest::newRow("indentation switched off") << "  a|" << "E" << false << "  a\r\n";
        QTest::newRow("Shift+Enter: a plain break") << "  a|" << "S" << true << "  a\r\n";
        QTest::newRow("innermost open element") << "<div><P class=x>a<|" << "/" << true << "<div><P class=x>a</P>";
        QTest::newRow("closed elements passed") << "<div>\r\n<p>x</p><ul><li>1</li></ul><|" << "/" << true << "<div>\r\n<p>x</p><ul><li>1</li></ul></div>";
        QTest::newRow("void elements passed") << "<div><br><img src=a><input/><|" << "/" << true << "<div><br><img src=a><input/></div>";
        QTest::newRow("comment passed") << "<td><!-- <p> --><|" << "/" << true << "<td><!-- <p> --></td>";
        QTest::newRow("script passed") << "<b><script>if (a<b) x='<i>'</script><|" << "/" << true << "<b><script>if (a<b) x='<i>'</script></b>";
        QTest::newRow("over a selection") << "<em>x<|yy|" << "/" << true << "<em>x</em>";
        QTest::newRow("none open") << "<p>x</p><|" << "/" << true << "<p>x</p></";
        QTest::newRow("inside a comment") << "<p><!-- <|" << "/" << true << "<p><!-- </";
        QTest::newRow("not after <") << "<p>a|" << "/" << true << "<p>a/";
        QTest::newRow("closing switched off") << "<p><|" << "/" << false << "<p></";
        QTest::newRow("closing tag typed whole") << "<p>x<|" << "/P>" << true << "<p>x</p>";
    }
    void keysTypeWithHelp()
    {
        QFETCH(QString, page);
        QFETCH(QString, keys);
        QFETCH(bool, helpOn);
        QFETCH(QString, typed);
        HtmlE w;
        w.startUp(QString());
        setSwitches(w, helpOn, helpOn);
        DocumentBox* box = w.editwindow();
        setPage(w, page);
        const QString before = box->documentText();
        if (keys == "E" || keys == "S")
            QTest::keyClick(box, Qt::Key_Return, keys == "S" ? Qt::ShiftModifier : Qt::NoModifier);
        else
            QTest::keyClicks(box, keys);
        QCOMPARE(box->documentText(), typed);
        QVERIFY(box->selection().isEmpty());
        // The key and its help are one step.
        box->undoStep();
        QCOMPARE(box->documentText(), before);
        box->redoStep();
        QCOMPARE(box->documentText(), typed);
    }

    // The switches start on, as a first start has them.
    void helpIsOnAtFirstStart()
    {
        HtmlE w;
        w.startUp(QString());
        setPage(w, "<ul>\r\n  <li>|");
        QTest::keyClick(w.editwindow(), Qt::Key_Return);
        QTest::keyClicks(w.editwindow(), "</");
        QCOMPARE(w.editwindow()->documentText(), "<ul>\r\n  <li>\r\n  </li>");
    }

    // Ctrl+Shift+A and 要素を選択 select the element around the selection, the next one out
    // each time; with none farther out the selection stays.
    void selectingElementsGrowsOutwards()
    {
        HtmlE w;
        w.startUp(QString());
        DocumentBox* box = w.editwindow();
        const QString page = "<div>\r\n<p>a<br><b>x|y</b></p>\r\n</div>\r\n";
        setPage(w, page);
        const QString text = box->documentText();
        const QStringList wanted = {"<b>xy</b>", "<p>a<br><b>xy</b></p>", text.left(text.size() - 2), text.left(text.size() - 2)};
        for (int i = 0; i < wanted.size(); ++i) {
            if (i % 2)
                contextEntry(w, "selectElement")->trigger();
            else
                QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
            QCOMPARE(box->readSelection(), wanted[i]);
        }
        QCOMPARE(box->documentText(), text);
    }

    void conversionsOfTheSelection_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("converted");
        QTest::addColumn<int>("changed");
        QTest::addColumn<int>("left"); // full-width characters that would become markup
        QTest::newRow("full width to half") << "convertToHalfWidth" << TextEncoding::Utf8 << "＜ｂ＞ＡＢ１！\u3000ｘ＆＂＇" << "＜b＞AB1!\u3000x＆＂＇" << 6 << 5;
        QTest::newRow("half width to full") << "convertToFullWidth" << TextEncoding::Utf8 << "Ab1~ " << "Ａｂ１～ " << 4 << 0;
        QTest::newRow("half-width kana") << "convertHalfWidthKana" << TextEncoding::Utf8 << "ｶﾞｷﾞｸ" << "ガギク" << 3 << 0;
        QTest::newRow("to katakana") << "convertToKatakana" << TextEncoding::Utf8 << "ひらがなA" << "ヒラガナA" << 4 << 0;
        QTest::newRow("to hiragana") << "convertToHiragana" << TextEncoding::Utf8 << "カタカナ\r\nヴ" << "かたかな\r\nゔ" << 5 << 0;
        QTest::newRow("all to references") << "convertToReferences" << TextEncoding::Utf8 << "aあ\r\n😀" << "a&#x3042;\r\n&#x1F600;" << 2 << 0;
        QTest::newRow("unsavable to references") << "convertUnsavedToReferences" << TextEncoding::Cp932 << "あ😀é" << "あ&#x1F600;&#xE9;" << 2 << 0;
        QTest::newRow("nothing unsavable in UTF-8") << "convertUnsavedToReferences" << TextEncoding::Utf8 << "あ😀" << "あ😀" << 0 << 0;
        QTest::newRow("references back") << "convertFromReferences" << TextEncoding::Utf8 << "&#x3042;&amp;&eacute;&#12354" << "あ&amp;é&#12354" << 2 << 0;
        QTest::newRow("only to savable characters") << "convertFromReferences" << TextEncoding::Cp932 << "&#x3042;&#x1F600;" << "あ&#x1F600;" << 1 << 0;
    }
    void conversionsOfTheSelection()
    {
        QFETCH(QString, entry);
        QFETCH(TextEncoding, encoding);
        QFETCH(QString, selected);
        QFETCH(QString, converted);
        QFETCH(int, changed);
        QFETCH(int, left);
        HtmlE w;
        w.startUp(QString());
        w.document().setEncoding(encoding);
        DocumentBox* box = w.editwindow();
        // Around the selection, text the conversion would change if it reached it.
        const QString outside = "ｶﾞＡ&#x3042;ひカ";
        box->setDocumentText(outside + selected + outside);
        const qsizetype start = outside.size();
        const qsizetype length = box->model().text(0, box->model().length(), u"\n").size() - 2 * outside.size();
        selectRange(w, int(start), int(start + length));
        const auto told = answerNextMessageBox(QMessageBox::Ok);
        contextEntry(w, entry)->trigger();
        QVERIFY(told->seen);
        QString message = changed ? QString("%1 文字を変換しました。").arg(changed) : QString("変換する文字はありませんでした。");
        if (left)
            message += QString("\n＜ ＞ ＆ ＂ ＇ は、タグにならないよう全角のまま残しました（%1 文字）。").arg(left);
        QCOMPARE(told->text, message);
        QCOMPARE(box->documentText(), outside + converted + outside);
        QCOMPARE(box->readSelection(), converted);
        if (changed) {
            box->undoStep();
            QCOMPARE(box->documentText(), outside + selected + outside);
        } else {
            QVERIFY(!box->model().isUndoAvailable());
        }
    }

    // With nothing selected the whole page is converted, after a question.
    void conversionOfTheWholePage()
    {
        HtmlE w;
        w.startUp(QString());
        DocumentBox* box = w.editwindow();
        const QString page = "<p>ひら</p>\r\n<p>がな</p>";
        box->setDocumentText(page);
        placeCaret(w, 3);
        auto asked = answerNextMessageBox(QMessageBox::No);
        contextEntry(w, "convertToKatakana")->trigger();
        QVERIFY(asked->seen);
        QCOMPARE(box->documentText(), page);
        std::shared_ptr<MessageBoxAnswer> told;
        asked = answerNextMessageBox(QMessageBox::Yes, [&told] { told = answerNextMessageBox(QMessageBox::Ok); });
        contextEntry(w, "convertToKatakana")->trigger();
        QVERIFY(asked->seen && told && told->seen);
        QCOMPARE(told->text, QString("4 文字を変換しました。"));
        QCOMPARE(box->documentText(), "<p>ヒラ</p>\r\n<p>ガナ</p>");
        QCOMPARE(box->caret(), 3);
        box->undoStep();
        QCOMPARE(box->documentText(), page);
    }

private:
    std::unique_ptr<TestProgramFolder> m_folder;
};

VORNIK_WINDOW_TEST_MAIN(TypingHelpTest)
#include "test_typing_help.moc"
