#include "app/line_ends.h"
#include "app/text_encoding.h"

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
        QTest::newRow("hiragana a") << bytes({0x82, 0xA0}) << QString(QChar(0x3042));
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
        const DecodedText d = decodeText(bytes({0x82, 0xA0, 0xA0}));
        QCOMPARE(d.encoding, TextEncoding::Cp932);
        QVERIFY(d.undecodable);
    }

    void utf8WinsWhenValid()
    {
        const QByteArray utf8 = QString("日本語のページ").toUtf8();
        DecodedText d = decodeText(utf8);
        QCOMPARE(d.encoding, TextEncoding::Utf8);
        QCOMPARE(d.text, QString("日本語のページ"));
        QCOMPARE(encodeText(d.text, d.encoding).bytes, utf8);

        const QByteArray withBom = QByteArray("\xEF\xBB\xBF") + utf8;
        d = decodeText(withBom);
        QCOMPARE(d.encoding, TextEncoding::Utf8Bom);
        QCOMPARE(d.text, QString("日本語のページ"));
        QCOMPARE(encodeText(d.text, d.encoding).bytes, withBom);

        // The same characters in Shift_JIS are not valid UTF-8.
        const QByteArray sjis = encodeText(QString("日本語のページ"), TextEncoding::Cp932).bytes;
        d = decodeText(sjis);
        QCOMPARE(d.encoding, TextEncoding::Cp932);
        QCOMPARE(d.text, QString("日本語のページ"));
        QVERIFY(!d.undecodable);
    }

    void asciiTakesTheDeclaredCharset_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<int>("encoding");
        QTest::newRow("nothing") << QByteArray("<html><p>hi</p></html>") << int(TextEncoding::Utf8);
        QTest::newRow("meta charset") << QByteArray("<meta charset=\"Shift_JIS\">") << int(TextEncoding::Cp932);
        QTest::newRow("http-equiv") << QByteArray("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=x-sjis\">")
                                    << int(TextEncoding::Cp932);
        QTest::newRow("xml") << QByteArray("<?xml version=\"1.0\" encoding=\"Windows-31J\"?>") << int(TextEncoding::Cp932);
        QTest::newRow("utf-8") << QByteArray("<meta charset=utf-8>") << int(TextEncoding::Utf8);
        QTest::newRow("cp932 unquoted") << QByteArray("<meta charset=CP932>") << int(TextEncoding::Cp932);
    }
    void asciiTakesTheDeclaredCharset()
    {
        QFETCH(QByteArray, page);
        QFETCH(int, encoding);
        const DecodedText d = decodeText(page);
        QCOMPARE(int(d.encoding), encoding);
        QCOMPARE(d.text, QString::fromLatin1(page));
    }

    void unencodableCharactersAreCountedNotReplaced()
    {
        const QString text = QString("a\r\nb\r\nx") + QString::fromUcs4(U"\U0001F600") + "y" + QChar(0x00E9);
        const EncodedText report = encodeText(text, TextEncoding::Cp932);
        QCOMPARE(report.unencodableCount, 2);
        QCOMPARE(report.firstUnencodableLine, 3);
        const EncodedText refs = encodeText(text, TextEncoding::Cp932, Unencodable::CharacterReferences);
        QCOMPARE(refs.bytes, QByteArray("a\r\nb\r\nx&#x1F600;y&#xE9;"));
        // The JIS look-alikes count as held.
        QCOMPARE(encodeText(QString(QChar(0x301C)), TextEncoding::Cp932).bytes, bytes({0x81, 0x60}));
        QCOMPARE(encodeText(QString(QChar(0x2212)), TextEncoding::Cp932).unencodableCount, 0);
    }

    void lineEndsBecomeCrLfAndAreRemembered()
    {
        NormalisedText n = normaliseLineEnds(u"a\nb\n");
        QCOMPARE(n.text, QString("a\r\nb\r\n"));
        QCOMPARE(n.ending, LineEnding::Lf);
        QCOMPARE(withLineEnding(n.text, n.ending), QString("a\nb\n"));

        n = normaliseLineEnds(u"a\r\nb");
        QCOMPARE(n.text, QString("a\r\nb"));
        QCOMPARE(n.ending, LineEnding::CrLf);

        n = normaliseLineEnds(u"a\nb\r\nc\rd");
        QCOMPARE(n.text, QString("a\r\nb\r\nc\r\nd"));
        QCOMPARE(n.ending, LineEnding::CrLf);

        n = normaliseLineEnds(u"one line");
        QCOMPARE(n.text, QString("one line"));
        QCOMPARE(n.ending, LineEnding::CrLf);
    }
};

QTEST_APPLESS_MAIN(TextEncodingTest)
#include "test_text_encoding.moc"
