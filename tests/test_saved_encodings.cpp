#include "app/main_window.h"
#include "text/text_encoding.h"
#include "ui/document_box.h"
#include "window_test_support.h"

#include <QTest>

// Pages opened and saved through the window keep their encoding and their bytes: unchanged
// to the byte, edited with only the edit changed, and asking before a character is lost.
class SavedEncodingsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { m_folder = std::make_unique<TestProgramFolder>(); }
    void cleanup() { m_folder.reset(); }

    // Open and Save of an unchanged file gives the same bytes back.
    void unchangedFilesRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QString page = QString::fromUtf8("<meta charset=\"Shift_JIS\">\r\n<p>日本語〜－￥ｱ①髙</p>\r\n");
        QTest::newRow("cp932") << encodeText(page, TextEncoding::Cp932).bytes;
        QTest::newRow("utf-8 lf") << QString(page).replace("\r\n", "\n").toUtf8();
        QTest::newRow("utf-8 bom") << "\xEF\xBB\xBF" + page.toUtf8();
        QTest::newRow("no final line end") << QByteArray("a\r\nb");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("tab, form feed, nul") << QByteArray("a\tb\fc\0d\r\n", 10);
        QTest::newRow("cr only") << QByteArray("a\rb\r");
        QTest::newRow("mixed line ends") << QByteArray("a\nb\r\nc\rd\n");
        // The NEC row 13 and NEC-selected IBM forms, which CP932 writes in their other form.
        QTest::newRow("cp932 two forms") << QByteArray("\x87\x90\xed\x40\xee\xf9\xfa\x54\x81\xca\r\n");
        QTest::newRow("euc-jp") << encodeText(page, TextEncoding::EucJp).bytes;
        // The 1978 kanji set's escape, which would be written as the 1983 one.
        QTest::newRow("iso-2022-jp") << QByteArray("\x1b$@$\"\x1b(B\r\n");
        QTest::newRow("utf-16le") << encodeText(page, TextEncoding::Utf16Le).bytes;
        QTest::newRow("utf-8, a stray byte") << page.toUtf8() + "\xff" + page.toUtf8();
    }
    void unchangedFilesRoundTrip()
    {
        QFETCH(QByteArray, bytes);
        m_folder->write("page.htm", bytes);
        HtmlE w;
        w.startUp(m_folder->file("page.htm") + " on");
        QVERIFY(!w.hasUnsavedChanges());
        trigger(w, "SaveFiLE");
        QCOMPARE(m_folder->read("page.htm"), bytes);
    }

    // Edited and saved, a page keeps its encoding to the byte, and reads back the same.
    void editedFilesKeepTheirEncoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("appended"); // "x" in the file's encoding
        const QString prose = QStringLiteral("<p>吾輩は猫である。名前はまだ無い。</p>\r\n<a href=\"~a\\b\">x</a>\r\n");
        const QString jisx0213 = QString::fromUcs4(U"𠀋𠮟ㇰか\u309A俱\r\n");
        QTest::newRow("utf-8, U+FEFF after the mark") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF<p>a</p>\r\n") << QByteArray("x");
        QTest::newRow("iso-2022-jp, half-width katakana") << QByteArray("\x1b$B$\"\x1b(I12\x1b(B\r\n") << QByteArray("x");
        QTest::newRow("shift_jis-2004") << encodeText(prose + jisx0213, TextEncoding::ShiftJis2004).bytes << QByteArray("x");
        QTest::newRow("euc-jis-2004") << encodeText(prose + jisx0213, TextEncoding::EucJis2004).bytes << QByteArray("x");
        QTest::newRow("utf-16le without a mark") << encodeText(prose, TextEncoding::Utf16LeNoBom).bytes
                                                 << QByteArray("x\0", 2);
        // Large pages are read in parts on both cores: the NEC-selected forms near the start
        // and the end, the LF breaks and the byte-order mark are all kept.
        QString lines;
        while (lines.size() < 3'000'000)
            lines += QStringLiteral("<p>吾輩は猫である。名前はまだ無い。</p>\n");
        const QByteArray cp932 = encodeText(lines, TextEncoding::Cp932).bytes;
        QTest::newRow("cp932, large, two forms") << "\xed\x40" + cp932 + "\xee\xf9\n" << QByteArray("x");
        QTest::newRow("utf-8, large") << "\xEF\xBB\xBF" + lines.toUtf8() << QByteArray("x");
        // Its shape told by its text, not its bytes: a U+2029 and a line held in pieces.
        QTest::newRow("utf-8, large, own breaks") << (lines + QChar(0x2029) + QString(200000, u'a')).toUtf8() << QByteArray("x");
    }
    void editedFilesKeepTheirEncoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, appended);
        m_folder->write("page.htm", bytes);
        HtmlE w;
        w.startUp(m_folder->file("page.htm") + " on");
        const QString text = w.editwindow()->documentText();
        w.editwindow()->moveCursor(QTextCursor::End);
        w.editwindow()->replaceSelection("x");
        auto answer = answerNextMessageBox(QMessageBox::Cancel);
        trigger(w, "SaveFiLE");
        QVERIFY(!answer->seen);
        QCOMPARE(m_folder->read("page.htm"), bytes + appended);
        HtmlE again;
        again.startUp(m_folder->file("page.htm") + " on");
        QCOMPARE(again.editwindow()->documentText(), text + "x");
    }

    void unencodableCharactersAreAskedAbout()
    {
        const QByteArray old = encodeText(u"<p>一</p>\r\n二\r\n", TextEncoding::Cp932).bytes;
        m_folder->write("sjis.htm", old);
        HtmlE w;
        w.startUp(m_folder->file("sjis.htm") + " on");
        w.editwindow()->moveCursor(QTextCursor::End);
        const QString emoji = QString::fromUcs4(U"\U0001F600");
        w.editwindow()->replaceSelection(emoji + "\r\n" + emoji);

        // Cancel: nothing is written. The question gives the count and the first line.
        auto answer = answerNextMessageBox(QMessageBox::Cancel);
        trigger(w, "SaveFiLE");
        QVERIFY(answer->seen);
        QVERIFY(answer->text.contains("2 文字"));
        QVERIFY(answer->text.contains("3 行目"));
        QCOMPARE(answer->defaultButton, QMessageBox::Cancel);
        QCOMPARE(m_folder->read("sjis.htm"), old);
        QVERIFY(w.hasUnsavedChanges());

        // Character references: still Shift_JIS.
        answer = answerNextMessageBox(QMessageBox::Save);
        trigger(w, "SaveFiLE");
        QCOMPARE(m_folder->read("sjis.htm"), old + "&#x1F600;\r\n&#x1F600;");
        QVERIFY(!w.hasUnsavedChanges());

        // UTF-8: the whole page, and the document remembers it, so the next save asks nothing.
        answer = answerNextMessageBox(QMessageBox::Apply);
        trigger(w, "SaveFiLE");
        QCOMPARE(m_folder->read("sjis.htm"), (QString("<p>一</p>\r\n二\r\n") + emoji + "\r\n" + emoji).toUtf8());
        answer = answerNextMessageBox(QMessageBox::Cancel);
        trigger(w, "SaveFiLE");
        QVERIFY(!answer->seen);
    }

    // Bytes valid in no encoding: opened as Shift_JIS. Unchanged, they are written back as
    // they were; once edited, saving asks first.
    void undecodableFilesAskBeforeSaving()
    {
        const QByteArray broken = QByteArray("\x82\xA0") + "\xA0" + "ok\r\n";
        m_folder->write("broken.htm", broken);
        HtmlE w;
        w.startUp(m_folder->file("broken.htm") + " on");
        QCOMPARE(w.editwindow()->documentText(), QString("あ") + QChar(0xFFFD) + "ok\r\n");
        auto answer = answerNextMessageBox(QMessageBox::Cancel);
        trigger(w, "SaveFiLE");
        QVERIFY(!answer->seen);
        QCOMPARE(m_folder->read("broken.htm"), broken);
        w.editwindow()->replaceSelection("x");
        trigger(w, "SaveFiLE");
        QVERIFY(answer->seen);
        QVERIFY(answer->text.contains("1 文字"));
        QCOMPARE(m_folder->read("broken.htm"), broken);
    }

private:
    std::unique_ptr<TestProgramFolder> m_folder;
};

VORNIK_WINDOW_TEST_MAIN(SavedEncodingsTest)
#include "test_saved_encodings.moc"
