#include "text/iconv_codec.h"
#include "text/line_ends.h"
#include "text/text_encoding.h"

#include <QTest>

namespace {
QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}
}

class TextEncodingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Facts of the Microsoft mapping, checked against the Unicode names of the characters.
    void cp932RoundTrips_data()
    {
        QTest::addColumn<QByteArray>("sjis");
        QTest::addColumn<QString>("text");
        QTest::newRow("fullwidth tilde") << bytes({0x81, 0x60}) << QString(QChar(0xFF5E));
        QTest::newRow("backslash stays ASCII") << bytes({0x5C}) << QString("\\");
        QTest::newRow("tilde stays ASCII") << bytes({0x7E}) << QString("~");
        QTest::newRow("circled digit one") << bytes({0x87, 0x40}) << QString(QChar(0x2460));
        QTest::newRow("halfwidth katakana a") << bytes({0xB1}) << QString(QChar(0xFF71));
        QTest::newRow("IBM extension kanji") << bytes({0xFA, 0x5C}) << QString(QChar(0x7E8A));
        QTest::newRow("control bytes") << bytes({0x1A, 0x1C, 0x7F}) << QString("\x1a\x1c\x7f");
    }
    void cp932RoundTrips()
    {
        QFETCH(QByteArray, sjis);
        QFETCH(QString, text);
        bool bad = true;
        QCOMPARE(decodeCp932(sjis, &bad), text);
        QVERIFY(!bad);
        const EncodedText back = encodeText(text, TextEncoding::Cp932);
        QCOMPARE(back.unencodableCount, 0);
        QCOMPARE(back.bytes, sjis);
    }

    void invalidCp932BytesBecomeReplacementCharacters()
    {
        bool bad = false;
        // 0xA0 is undefined; 0x82 at the end is a cut-off lead byte.
        const QString text = decodeCp932(bytes({'a', 0xA0, 'b', 0x82}), &bad);
        QVERIFY(bad);
        QCOMPARE(text, QString("a") + QChar(0xFFFD) + "b" + QChar(0xFFFD));
    }

    // Each encoding is recognised by its bytes or by the charset the page declares, read
    // into the right text, and written back byte for byte.
    void encodingIsRecognised_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("text"); // empty: not checked
        QTest::addColumn<bool>("undecodable");
        const QString cat = QString("吾輩は猫である。名前はまだ無い。");
        const QByteArray sjis("\x8c\xe1\x94\x79\x82\xcd\x94\x4c\x82\xc5\x82\xa0\x82\xe9\x81\x42\x96\xbc\x91\x4f\x82"
                              "\xcd\x82\xdc\x82\xbe\x96\xb3\x82\xa2\x81\x42\x87\x40\x81\x60\xfb\xfc");
        const QByteArray euc("\xb8\xe3\xc7\xda\xa4\xcf\xc7\xad\xa4\xc7\xa4\xa2\xa4\xeb\xa1\xa3\xcc\xbe\xc1\xb0\xa4"
                             "\xcf\xa4\xde\xa4\xc0\xcc\xb5\xa4\xa4\xa1\xa3\xad\xa1\xa1\xc1");
        const QByteArray jis("\x1b\x24\x42\x38\x63\x47\x5a\x24\x4f\x47\x2d\x24\x47\x24\x22\x24\x6b\x21\x23\x4c\x3e"
                             "\x41\x30\x24\x4f\x24\x5e\x24\x40\x4c\x35\x24\x24\x21\x23\x1b\x28\x42");
        const QString emoji = QString::fromUcs4(U"\U0001F408");
        auto row = [](const char* name, const QByteArray& page, TextEncoding e, const QString& text = {}, bool bad = false) {
            QTest::newRow(name) << page << int(e) << text << bad;
        };
        row("utf-8", cat.toUtf8(), TextEncoding::Utf8, cat);
        row("utf-8 bom", "\xEF\xBB\xBF" + cat.toUtf8(), TextEncoding::Utf8Bom, cat);
        row("shift_jis", sjis, TextEncoding::Cp932, cat + QString("①～髙"));
        row("euc-jp", euc, TextEncoding::EucJp, cat + QString("①～"));
        row("iso-2022-jp", jis, TextEncoding::Iso2022Jp, cat);
        row("utf-16le", QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char*>((cat + emoji).utf16()), 36),
            TextEncoding::Utf16Le, cat + emoji);
        row("utf-16be", QByteArray("\xFE\xFF\x30\x42\xD8\x3D\xDC\x08", 8), TextEncoding::Utf16Be, QString("あ") + emoji);
        // Kana alone read as EUC-JP would also be valid half-width katakana in Shift_JIS.
        row("euc-jp kana", QByteArray("\xa4\xcd\xa4\xb3"), TextEncoding::EucJp, "ねこ");
        row("declared x-euc-jp", "<meta charset=x-euc-jp>\xa4\xcd", TextEncoding::EucJp);
        row("ascii", "<html><p>hi</p></html>", TextEncoding::Utf8);
        row("meta charset", "<meta charset=\"Shift_JIS\">", TextEncoding::Cp932);
        row("http-equiv", "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=x-sjis\">", TextEncoding::Cp932);
        row("xml", "<?xml version=\"1.0\" encoding=\"Windows-31J\"?>", TextEncoding::Cp932);
        row("declared euc-jp, ascii", "<meta charset=EUC-JP>", TextEncoding::EucJp);
        row("declared csISO2022JP, ascii", "<meta charset=csISO2022JP>", TextEncoding::Iso2022Jp);
        row("declared utf-16 on bytes that are not", "<meta charset=UTF-16>", TextEncoding::Utf8);
        row("declared utf-8", "<meta charset=utf-8>", TextEncoding::Utf8);
        row("cp932 unquoted", "<meta charset=CP932>", TextEncoding::Cp932);
        // UTF-8 but for a stray byte: shown as UTF-8, the byte marked.
        row("utf-8 with a stray byte", cat.toUtf8() + "\x81" + cat.toUtf8(), TextEncoding::Utf8,
            cat + QChar(0xFFFD) + cat, true);
        row("utf-16le odd length", "\xFF\xFE\x42\x30\x0A", TextEncoding::Utf16Le, QString("あ\uFFFD"), true);
    }
    void encodingIsRecognised()
    {
        QFETCH(QByteArray, page);
        QFETCH(int, encoding);
        QFETCH(QString, text);
        QFETCH(bool, undecodable);
        const DecodedText d = decodeText(page);
        QCOMPARE(int(d.encoding), encoding);
        QCOMPARE(d.undecodable, undecodable);
        if (!text.isEmpty())
            QCOMPARE(d.text, text);
        if (!undecodable) {
            QVERIFY(!d.text.contains(QChar(0xFFFD)));
            QCOMPARE(encodeText(d.text, d.encoding).bytes, page);
        }
        // Read in the encoding chosen by hand, the same.
        QCOMPARE(decodeText(page, d.encoding).text, d.text);
    }

    void unencodableCharactersAreCounted()
    {
        const QString text = QString("a\r\nb\r\nx") + QChar(0x00E9);
        const EncodedText report = encodeText(text, TextEncoding::Cp932);
        QCOMPARE(report.unencodableCount, 1);
        QCOMPARE(report.firstUnencodableLine, 3);
        // The JIS look-alikes count as held.
        QCOMPARE(encodeText(QString(QChar(0x301C)), TextEncoding::Cp932).bytes, bytes({0x81, 0x60}));
        QCOMPARE(encodeText(QString(QChar(0x2212)), TextEncoding::Cp932).unencodableCount, 0);

        // In ISO-2022-JP a reference is written in ASCII, after the shift back to it.
        const QString mixed = QString("あ") + QString::fromUcs4(U"\U0001F600") + QString("い");
        const EncodedText jis = encodeText(mixed, TextEncoding::Iso2022Jp, Unencodable::CharacterReferences);
        QCOMPARE(jis.unencodableCount, 1);
        QCOMPARE(decodeText(jis.bytes, TextEncoding::Iso2022Jp).text, QString("あ&#x1F600;い"));
        QCOMPARE(encodeText(QString("ｱ"), TextEncoding::EucJp).bytes, bytes({0x8E, 0xB1}));

        // Many unencodable characters: the converter is asked about each distinct one once,
        // not about each occurrence, so the work stays linear in the text.
        QString many;
        for (int i = 0; i < 100000; ++i)
            many += i % 2 ? QChar(0x00E9) : QChar(u'あ');
        for (Unencodable policy : {Unencodable::Report, Unencodable::CharacterReferences}) {
            const qint64 before = iconvRuns();
            const EncodedText report = encodeText(many, TextEncoding::Cp932, policy);
            QCOMPARE(report.unencodableCount, 50000);
            QVERIFY(iconvRuns() - before < 200);
        }
    }

    // The document uses CR LF; a file's own line end is remembered for saving, and a mixed
    // file, once edited, is saved with CR LF throughout.
    void lineEndsBecomeCrLfAndAreRemembered_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("ending");
        QTest::newRow("lf") << "a\nb\n" << "a\r\nb\r\n" << int(LineEnding::Lf);
        QTest::newRow("crlf") << "a\r\nb" << "a\r\nb" << int(LineEnding::CrLf);
        QTest::newRow("cr") << "a\rb\r" << "a\r\nb\r\n" << int(LineEnding::Cr);
        QTest::newRow("mixed") << "a\nb\r\nc\rd" << "a\r\nb\r\nc\r\nd" << int(LineEnding::CrLf);
        QTest::newRow("one line") << "one line" << "one line" << int(LineEnding::CrLf);
    }
    void lineEndsBecomeCrLfAndAreRemembered()
    {
        QFETCH(QString, file);
        QFETCH(QString, text);
        QFETCH(int, ending);
        const NormalisedText n = normaliseLineEnds(file);
        QCOMPARE(n.text, text);
        QCOMPARE(int(n.ending), ending);
        QCOMPARE(withLineEnding(n.text, n.ending), ending == int(LineEnding::CrLf) ? text : file);
    }
};

QTEST_APPLESS_MAIN(TextEncodingTest)
#include "test_text_encoding.moc"
