#include "text/charset_declaration.h"
#include "text/document_codec.h"
#include "text/encoding_guess.h"
#include "text/iconv_codec.h"
#include "text/line_ends.h"
#include "text/table_decode.h"
#include "text/text_encoding.h"

#include <QRandomGenerator>
#include <QRegularExpression>
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
    // The table reading of CP932 and EUC-JP gives what the converter gives, on random bytes
    // made mostly of whole characters (kanji rows with every trail assigned) with stray bytes
    // among them; where it declines (a stray byte), the converter reads the page.
    void tableReadingIsTheConvertersReading()
    {
        QRandomGenerator random(11);
        for (TextEncoding encoding : {TextEncoding::Cp932, TextEncoding::EucJp}) {
            const char* charset = encoding == TextEncoding::Cp932 ? "CP932" : "EUC-JP-MS";
            int read = 0;
            for (int page = 0; page < 400; ++page) {
                QByteArray bytes;
                const bool clean = page % 2 == 0;
                for (int n = random.bounded(1, 300); n > 0; --n) {
                    const quint32 r = random.generate();
                    const uchar b = uchar(r);
                    if (clean && encoding == TextEncoding::Cp932)
                        bytes += r % 3 ? QByteArray(1, char(b & 0x7F)) : QByteArray(1, char(0x89 + (b % 15))) + char(0x40 + ((r >> 8) % 0x3F));
                    else if (clean)
                        bytes += r % 3 ? QByteArray(1, char(b & 0x7F)) : QByteArray(1, char(0xB0 + (b % 31))) + char(0xA1 + ((r >> 8) % 94));
                    else
                        bytes += char(b);
                }
                bool converterUndecodable = false;
                const QString converter = decodeWithIconv(charset, bytes, &converterUndecodable);
                if (const std::optional<QString> table = decodeByTable(encoding, bytes)) {
                    ++read;
                    QVERIFY(!converterUndecodable);
                    QCOMPARE(*table, converter);
                }
                QCOMPARE(decodeText(bytes, encoding).text, converter);
            }
            QVERIFY(read >= 150); // the clean pages at least
        }
    }

    // A large page's guess walks CP932's table as it checks it: the same guess, and what the walk
    // found is what the table's own walk finds, on pages that read and pages that stop part way;
    // a large one is walked in two halves.
    void theGuessWalksTheTableAsItChecks()
    {
        QRandomGenerator random(5);
        int walked = 0;
        bool largeWalked = false;
        const QList<QByteArray> pieces{"<p>", "\r\n", "\n", "\x82\xA0", "\x93\xFA", "\xB1", "\xED\x40", "\xFA\x5C",
                                       "\x87\x90", "\xF0\x40", "\x85\x40", "\x80", "\xFD", "\xE9", "\x5C"};
        for (int page = 0; page < 300; ++page) {
            QByteArray bytes;
            const bool clean = page % 3 != 0; // the others hold sequences the table does not read
            for (int n = random.bounded(1, 200); n > 0; --n)
                bytes += pieces[random.bounded(clean ? 10 : int(pieces.size()))];
            if (page == 0)
                bytes = bytes.repeated(qsizetype(9 << 20) / bytes.size() + 1);
            std::optional<TableWalk> walk;
            QCOMPARE(encodingName(guessEncodingOf(bytes, &walk).encoding), encodingName(guessEncodingOf(bytes).encoding));
            if (!walk)
                continue;
            ++walked;
            largeWalked = largeWalked || page == 0;
            const TableWalk whole = walkByTable(TextEncoding::Cp932, bytes);
            QCOMPARE(walk->scan.read, whole.scan.read);
            if (!whole.scan.read)
                continue;
            QCOMPARE(walk->scan.privateUse, whole.scan.privateUse);
            QCOMPARE(walk->lines.breaks, whole.lines.breaks);
            QCOMPARE(walk->lines.longestLine, whole.lines.longestLine);
            QCOMPARE(walk->lines.forms, whole.lines.forms);
            // The pieces' breaks are CR LF and LF.
            QCOMPARE(whole.lines.breaks, bytes.count('\n'));
            QCOMPARE(whole.lines.forms, cp932FormsUsed(bytes));
        }
        QVERIFY(largeWalked && walked > 100);
    }

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
        row("declared shift_jis-2004", "<meta charset=\"Shift_JIS-2004\">", TextEncoding::ShiftJis2004);
        row("declared euc-jis-2004", "<meta charset=EUC-JIS-2004>\xa4\xcd", TextEncoding::EucJis2004, "<meta charset=EUC-JIS-2004>ね");
        // A few NULs are no UTF-16; NULs in both halves of the pairs neither.
        row("nul bytes", QByteArray("a\tb\fc\0d\r\n\0", 10), TextEncoding::Utf8);
        row("nul bytes in both halves", QByteArray(32, '\0') + QByteArray(32, 'a'), TextEncoding::Utf8);
        // UTF-8 but for a stray byte: shown as UTF-8, the byte marked.
        row("utf-8 with a stray byte", cat.toUtf8() + "\x81" + cat.toUtf8(), TextEncoding::Utf8,
            cat + QChar(0xFFFD) + cat, true);
        row("utf-16le odd length", "\xFF\xFE\x42\x30\x0A", TextEncoding::Utf16Le, QString("あ\uFFFD"), true);
        // A large page is looked at in two halves: the kana that tell EUC-JP only in the second.
        QByteArray large = QByteArray(8 << 20, 'a') + "\n";
        for (int i = 0; i < 200000; ++i)
            large += "\xa4\xcd\xa4\xb3\n";
        row("large euc-jp, kana in the second half", large, TextEncoding::EucJp);
        QByteArray strayLate = QByteArray(8 << 20, 'a') + "\n" + cat.toUtf8();
        row("large utf-8, a stray byte in the second half", strayLate + "\x81", TextEncoding::Utf8,
            QString(), true);
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
        // A reader in parts trusts the guess on this.
        if (d.encoding == TextEncoding::Utf8)
            QCOMPARE(guessEncodingOf(page).validUtf8, !undecodable);
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

    // Nothing comes back from the file other than it was written without a word: every
    // character either reads back as itself, or is counted (and written as a reference), or
    // is one of the full-width family that keeps its usual bytes and reads as its look-alike.
    void everyCharacterReadsBackOrIsCounted_data()
    {
        QTest::addColumn<int>("encoding");
        for (TextEncoding e : {TextEncoding::Cp932, TextEncoding::EucJp, TextEncoding::Iso2022Jp})
            QTest::newRow(qPrintable(encodingName(e))) << int(e);
    }
    void everyCharacterReadsBackOrIsCounted()
    {
        QFETCH(int, encoding);
        const auto e = TextEncoding(encoding);
        QString text;
        for (char32_t c = 1; c < 0x10000; ++c) {
            if (!QChar::isSurrogate(c))
                text += QChar(c);
            if (c % 64 == 0)
                text += "\r\nあｱ"; // back and forth between the sets of a shifting encoding
        }
        for (char32_t c = 0xE0000; c < 0xE0080; ++c)
            text += QString::fromUcs4(&c, 1);
        text += QString::fromUcs4(U"\U0001F600\U00020B9F");

        const EncodedText written = encodeText(text, e, Unencodable::CharacterReferences);
        const DecodedText read = decodeText(written.bytes, e);
        QVERIFY(!read.undecodable);
        // The references back to characters: the text as written, look-alikes aside.
        QString back;
        int references = 0;
        static const QRegularExpression reference(QStringLiteral("&#x([0-9A-F]+);"));
        qsizetype from = 0;
        for (auto it = reference.globalMatch(read.text); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            const char32_t c = m.captured(1).toUInt(nullptr, 16);
            back += read.text.mid(from, m.capturedStart() - from);
            back += c > 0xFFFF ? QString::fromUcs4(&c, 1) : QString(QChar(char16_t(c))); // fromUcs4 drops U+FEFF
            from = m.capturedEnd();
            ++references;
        }
        back += read.text.mid(from);
        // Some encodings hold the family as themselves, others write their look-alikes' bytes.
        const QString family = QStringLiteral("〜−‖—¢£¬¦");
        const QString lookAlikes = QStringLiteral("～－∥―￠￡￢￤");
        auto alike = [&](QString t) {
            for (qsizetype i = 0; i < family.size(); ++i)
                t.replace(family[i], lookAlikes[i]);
            return t;
        };
        const QString got = alike(back);
        const QString want = alike(text);
        qsizetype differ = 0;
        while (differ < got.size() && differ < want.size() && got[differ] == want[differ])
            ++differ;
        QCOMPARE(got.mid(differ, 8), want.mid(differ, 8));
        QCOMPARE(got.size(), want.size());
        QCOMPARE(written.unencodableCount, references);
        QCOMPARE(encodeText(text, e).unencodableCount, references);

        // The characters glibc writes as others, or drops, are asked about.
        const QString mapped = QString::fromUcs4(U"x\u00A5\r\n\u203E\U000E0041");
        const EncodedText report = encodeText(mapped, e);
        const bool jis = e == TextEncoding::Iso2022Jp; // holds both through JIS X 0201 Roman
        QCOMPARE(report.unencodableCount, jis ? 1 : 3);
        QCOMPARE(report.firstUnencodableLine, jis ? 2 : 1);
        // The family keeps its usual bytes; glibc's ISO-2022-JP has none for —, nor any but
        // EUC-JP for ¦.
        QCOMPARE(encodeText(QStringLiteral("〜−‖¢£¬"), e).unencodableCount, 0);
        QCOMPARE(encodeText(QStringLiteral("—"), e).unencodableCount, jis ? 1 : 0);
    }

    // Generated pages holding the characters that set each encoding apart: recognised by
    // their bytes, read back to the text, and written back to the same bytes.
    void generatedPagesRoundTrip_data()
    {
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("text");
        const QString prose = QStringLiteral("<html><p>吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。</p>\r\n");
        const QString ascii = QStringLiteral("<a href=\"~user/a\\b.htm\">x</a>\r\n");
        const QString jisx0213 = QString::fromUcs4(U"𠀋𠮟ㇰか\u309A俱");
        auto row = [](const char* name, TextEncoding e, const QString& text) { QTest::newRow(name) << int(e) << text; };
        row("shift_jis", TextEncoding::Cp932, prose + ascii + QStringLiteral("①髙～ｱ"));
        row("shift_jis-2004", TextEncoding::ShiftJis2004, prose + ascii + jisx0213);
        row("euc-jp", TextEncoding::EucJp, prose + ascii + QStringLiteral("①丂～ｱ"));
        row("euc-jis-2004", TextEncoding::EucJis2004, prose + ascii + jisx0213 + QStringLiteral("丂"));
        row("iso-2022-jp, half-width katakana", TextEncoding::Iso2022Jp, prose + ascii + QStringLiteral("ｱｲｳ、カナ"));
        row("utf-16le without a mark", TextEncoding::Utf16LeNoBom, prose + ascii + QString::fromUcs4(U"\U0001F600"));
        row("utf-16be without a mark", TextEncoding::Utf16BeNoBom, prose + ascii);
        row("utf-8 with a mark, U+FEFF first", TextEncoding::Utf8Bom, QChar(0xFEFF) + prose);
    }
    void generatedPagesRoundTrip()
    {
        QFETCH(int, encoding);
        QFETCH(QString, text);
        const auto e = TextEncoding(encoding);
        const EncodedText written = encodeText(text, e);
        QCOMPARE(written.unencodableCount, 0);
        const DecodedText read = decodeText(written.bytes);
        QCOMPARE(encodingName(read.encoding), encodingName(e));
        QCOMPARE(read.text, text);
        QVERIFY(!read.undecodable);
        QVERIFY(read.foreignEncoding.isEmpty());
        QCOMPARE(encodeText(read.text, e).bytes, written.bytes);
    }

    void iso2022JpKanaAndTheUtf8Mark()
    {
        // As Windows writes half-width katakana, and back the same way.
        const QByteArray windows("\x1b$B$\"\x1b(I12\x1b(Bx");
        QCOMPARE(decodeText(windows).text, QString("あｱｲx"));
        QCOMPARE(encodeText(QString("あｱｲx"), TextEncoding::Iso2022Jp).bytes, windows);
        // A U+FEFF the file begins with, read as UTF-8 chosen by hand, is the text's own.
        QCOMPARE(decodeText("\xEF\xBB\xBF" "a", TextEncoding::Utf8).text, QString(QChar(0xFEFF)) + "a");
        QCOMPARE(decodeText("\xEF\xBB\xBF\xEF\xBB\xBF\xEF\xBB\xBF" "a").text, QString(2, QChar(0xFEFF)) + "a");
    }

    // Chinese and Korean pages are not taken for Japanese ones.
    void foreignPagesAreRecognised_data()
    {
        QTest::addColumn<QByteArray>("charset");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("declared");
        const QString chinese = QStringLiteral("我们的网站介绍中国的历史和文化。欢迎光临！这里有很多有趣的文章。");
        const QString traditional = QStringLiteral("我們的網站介紹中國的歷史和文化。歡迎光臨！這裡有很多有趣的文章。");
        const QString korean = QStringLiteral("우리 웹사이트는 한국의 역사와 문화를 소개합니다. 환영합니다! 재미있는 글이 많습니다.");
        QTest::newRow("gb18030") << QByteArray("GB18030") << chinese << QString();
        QTest::newRow("gbk, declared") << QByteArray("GBK") << chinese << QString("gbk");
        QTest::newRow("big5") << QByteArray("BIG5") << traditional << QString();
        QTest::newRow("euc-kr") << QByteArray("EUC-KR") << korean << QString();
        QTest::newRow("euc-kr, declared") << QByteArray("EUC-KR") << korean << QString("ks_c_5601-1987");
    }
    void foreignPagesAreRecognised()
    {
        QFETCH(QByteArray, charset);
        QFETCH(QString, text);
        QFETCH(QString, declared);
        const QString page = (declared.isEmpty() ? QString() : "<meta charset=\"" + declared + "\">\r\n")
            + "<p>" + text + "</p>\r\n<p>" + text + "</p>\r\n";
        const char* name = charset.constData();
        const EncodedText bytes = encodeWithIconv(name, page, Unencodable::Report,
                                                  [name](QByteArrayView b) { return decodeWithIconv(name, b); });
        QCOMPARE(bytes.unencodableCount, 0);
        const DecodedText read = decodeText(bytes.bytes);
        QVERIFY2(!read.foreignEncoding.isEmpty(), qPrintable(encodingName(read.encoding)));
        if (!declared.isEmpty())
            QCOMPARE(read.foreignEncoding, declared.toUpper());
    }

    // The changes that make a page's charset declarations name the encoding it is saved in.
    void charsetDeclarationsFollowTheEncoding_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const QString& page, TextEncoding from, TextEncoding to, const QString& expected) {
            QTest::newRow(name) << page << int(from) << int(to) << expected;
        };
        row("meta charset", "<head><meta charset=\"Shift_JIS\"></head>", TextEncoding::Cp932, TextEncoding::Utf8,
            "<head><meta charset=\"UTF-8\"></head>");
        row("http-equiv and another name of it",
            "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=x-sjis\">\r\n<p>charset=x-sjis</p>",
            TextEncoding::Cp932, TextEncoding::EucJp,
            "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=EUC-JP\">\r\n<p>charset=x-sjis</p>");
        row("two, unquoted", "<meta charset=utf-8/><meta http-equiv=content-type content='text/html;charset = UTF8'>",
            TextEncoding::Utf8, TextEncoding::Iso2022Jp,
            "<meta charset=ISO-2022-JP/><meta http-equiv=content-type content='text/html;charset = ISO-2022-JP'>");
        row("names another encoding", "<meta charset=\"EUC-JP\">", TextEncoding::Cp932, TextEncoding::Utf8,
            "<meta charset=\"EUC-JP\">");
        row("the same name", "<meta charset=\"Shift_JIS\">", TextEncoding::Cp932, TextEncoding::ShiftJis2004,
            "<meta charset=\"Shift_JIS\">");
        row("with a mark", "<meta charset=\"utf-8\">", TextEncoding::Utf8Bom, TextEncoding::Cp932,
            "<meta charset=\"Shift_JIS\">");
    }
    void charsetDeclarationsFollowTheEncoding()
    {
        QFETCH(QString, page);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, expected);
        const TextChanges changes = charsetDeclarationChanges(page, TextEncoding(from), TextEncoding(to));
        QString result = page;
        for (qsizetype i = changes.size() - 1; i >= 0; --i)
            result.replace(changes[i].start, changes[i].length, changes[i].text);
        QCOMPARE(result, expected);
        QCOMPARE(changes.isEmpty(), page == expected);
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

    // A save encodes the box's text a piece at a time, each ending after a line break: the
    // same bytes and the same report as the whole text, in every encoding, ending and policy.
    void piecesEncodeAsTheWhole()
    {
        const QString line = QString::fromUcs4(U"<p>吾輩は猫\u2460髙ｱ～ か\u309A𠀋 é\U0001F600</p>");
        QString text;
        for (int i = 0; i < 40; ++i)
            text += line + (i == 17 ? QString(QChar(0xD800)) : QString()) + QStringLiteral("\r\n");
        const ByteForms forms{{0xFA58, 0xED40}}; // 纊 in NEC's selection of IBM's extensions
        text += QStringLiteral("纊");
        QRandomGenerator random(7);
        for (int e = int(TextEncoding::Utf8); e <= int(TextEncoding::Utf16BeNoBom); ++e) {
            for (LineEnding ending : {LineEnding::CrLf, LineEnding::Lf, LineEnding::Cr}) {
                for (Unencodable policy : {Unencodable::Report, Unencodable::CharacterReferences}) {
                    for (const QString& page : {text, QString()}) {
                        PieceEncoder pieces(TextEncoding(e), ending, policy, forms);
                        for (qsizetype from = 0; from < page.size();) {
                            const qsizetype to = page.indexOf(u'\n', from + random.bounded(200));
                            pieces.add(QStringView(page).sliced(from, (to < 0 ? page.size() : to + 1) - from));
                            from = to < 0 ? page.size() : to + 1;
                        }
                        const EncodedText got = pieces.result();
                        const EncodedText whole = encodeDocument(page, TextEncoding(e), ending, policy, forms);
                        QCOMPARE(got.bytes, whole.bytes);
                        QCOMPARE(got.unencodableCount, whole.unencodableCount);
                        QCOMPARE(got.firstUnencodableLine, whole.firstUnencodableLine);
                    }
                }
            }
        }
    }
};

QTEST_APPLESS_MAIN(TextEncodingTest)
#include "test_text_encoding.moc"
