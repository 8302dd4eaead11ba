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

    // Valid UTF-8 wins; plain ASCII takes the charset the page declares.
    void encodingIsRecognised_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<int>("encoding");
        const QString japanese = QString("日本語のページ");
        QTest::newRow("utf-8") << japanese.toUtf8() << int(TextEncoding::Utf8);
        QTest::newRow("utf-8 bom") << "\xEF\xBB\xBF" + japanese.toUtf8() << int(TextEncoding::Utf8Bom);
        QTest::newRow("shift_jis") << encodeText(japanese, TextEncoding::Cp932).bytes << int(TextEncoding::Cp932);
        QTest::newRow("ascii") << QByteArray("<html><p>hi</p></html>") << int(TextEncoding::Utf8);
        QTest::newRow("meta charset") << QByteArray("<meta charset=\"Shift_JIS\">") << int(TextEncoding::Cp932);
        QTest::newRow("http-equiv") << QByteArray("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=x-sjis\">")
                                    << int(TextEncoding::Cp932);
        QTest::newRow("xml") << QByteArray("<?xml version=\"1.0\" encoding=\"Windows-31J\"?>") << int(TextEncoding::Cp932);
        QTest::newRow("declared utf-8") << QByteArray("<meta charset=utf-8>") << int(TextEncoding::Utf8);
        QTest::newRow("cp932 unquoted") << QByteArray("<meta charset=CP932>") << int(TextEncoding::Cp932);
    }
    void encodingIsRecognised()
    {
        QFETCH(QByteArray, page);
        QFETCH(int, encoding);
        const DecodedText d = decodeText(page);
        QCOMPARE(int(d.encoding), encoding);
        QVERIFY(!d.undecodable);
        QVERIFY(!d.text.contains(QChar(0xFFFD)));
        QCOMPARE(encodeText(d.text, d.encoding).bytes, page);
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
    }

    // The document uses CR LF; a file's own line end is remembered for saving, and a mixed
    // file is saved with CR LF throughout.
    void lineEndsBecomeCrLfAndAreRemembered_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("ending");
        QTest::newRow("lf") << "a\nb\n" << "a\r\nb\r\n" << int(LineEnding::Lf);
        QTest::newRow("crlf") << "a\r\nb" << "a\r\nb" << int(LineEnding::CrLf);
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
        QCOMPARE(withLineEnding(n.text, n.ending), ending == int(LineEnding::Lf) ? file : text);
    }
};

QTEST_APPLESS_MAIN(TextEncodingTest)
#include "test_text_encoding.moc"
