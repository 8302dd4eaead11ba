#include "text/charset_declaration.h"
#include "text/document_codec.h"
#include "text/encoding_guess.h"
#include "text/iconv_codec.h"
#include "text/part_decode.h"
#include "text/table_decode.h"
#include "text/text_encoding.h"
#include "text/utf8_check.h"

#include <QRandomGenerator>
#include <QTest>

// Generated Japanese pages in every encoding, with and without a declared charset: an open
// reads the text that was written, and an edit and a save change only the edited bytes.
namespace {

QString chars(std::u32string_view list)
{
    return QString::fromUcs4(list.data(), list.size());
}

// What a page may hold, by kind. The kanji of the extension rows, user-defined characters and
// JIS X 0213's own are the ones that make encodings hard to tell apart.
const QString kProse = QStringLiteral("吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗い"
                                      "じめじめした所でニャーニャー泣いていた事だけは記憶している。「」、ＡＢ１２ｱｲｳ");
const QString kExtension = QStringLiteral("髙﨑德纊褜鍈銈蓜俉炻昱棈鋹曻彅丨仡仼伀伃伹佖侒侊侚侔");
const QString kNecRow13 = QStringLiteral("①②③ⅠⅡⅢ㍉㌔㈱№℡≒≡∫∮");
const QString kUserDefined = chars(U"\uE000\uE001\uE0A5\uE3AC\uE757");
const QString kJisX0213 = chars(U"𠀋𠮟俱剝𩸽𠀋㐂丂乚亅倏");

struct Kind {
    const char* name;
    QString extra;
};
const Kind kKinds[] = {{"plain", {}}, {"extension kanji", kExtension + kNecRow13},
                       {"user-defined", kUserDefined}, {"jis x 0213", kJisX0213}};

// The characters of `pool` that `encoding` writes so they read back.
QString heldBy(TextEncoding encoding, const QString& pool)
{
    QString held;
    for (char32_t c : pool.toUcs4()) {
        if (encodingHolds(encoding, c))
            held += QString::fromUcs4(&c, 1);
    }
    return held;
}

QString randomText(QRandomGenerator& random, const QString& pool, const QString& extra, int length)
{
    const QList<uint> common = pool.toUcs4();
    const QList<uint> rare = extra.toUcs4();
    QString text;
    for (int i = 0; i < length; ++i) {
        // One rare character in about twelve, and at least one in each page that has any.
        const bool pickRare = !rare.isEmpty() && (i == length / 2 || random.bounded(12) == 0);
        const char32_t c = pickRare ? rare[random.bounded(int(rare.size()))] : common[random.bounded(int(common.size()))];
        text += QString::fromUcs4(&c, 1);
    }
    return text;
}

QString page(const QString& body, TextEncoding encoding, bool declared, bool markup)
{
    if (!markup)
        return body + QStringLiteral("\r\n");
    const QString meta = declared ? QStringLiteral("<meta charset=\"%1\">").arg(exactDeclaredName(encoding)) : QString();
    return QStringLiteral("<html><head>%1<title>頁</title></head>\r\n<body><p>%2</p></body></html>\r\n").arg(meta, body);
}

// Bytes that differ between two files: what is left once their common start and end are taken off.
qsizetype changedBytes(const QByteArray& a, const QByteArray& b)
{
    qsizetype start = 0;
    while (start < a.size() && start < b.size() && a[start] == b[start])
        ++start;
    qsizetype end = 0;
    while (end < a.size() - start && end < b.size() - start && a[a.size() - 1 - end] == b[b.size() - 1 - end])
        ++end;
    return qMax(a.size(), b.size()) - start - end;
}

} // namespace

class PageReadbackTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pagesReadBackAndEditsStayLocal()
    {
        QRandomGenerator random(2611);
        constexpr int kPages = 25;
        QStringList report;
        int declaredMisreads = 0;
        for (TextEncoding e : allTextEncodings()) {
            for (const Kind& kind : kKinds) {
                const QString pool = heldBy(e, kProse);
                const QString extra = heldBy(e, kind.extra);
                if (!kind.extra.isEmpty() && extra.isEmpty())
                    continue; // the encoding holds none of them: the plain pages say it all
                for (bool declared : {true, false}) {
                    // UTF-16 declares nothing its bytes show; its pages are also tried without markup.
                    const bool utf16 = declaredName(e) == QLatin1String("UTF-16");
                    if (declared && utf16)
                        continue;
                    int misread = 0;
                    int spread = 0;
                    for (int n = 0; n < kPages; ++n) {
                        const bool markup = !(utf16 && n % 2);
                        const QString text = page(randomText(random, pool, extra, 20 + random.bounded(200)), e,
                                                  declared, markup);
                        const EncodedText written = encodeDocument(text, e, LineEnding::CrLf);
                        QCOMPARE(written.unencodableCount, 0);
                        const LoadedDocument read = decodeDocument(written.bytes);
                        if (read.text != text) {
                            ++misread;
                            continue;
                        }
                        // One character typed or deleted somewhere in the body; saved as it was read.
                        QString edited = read.text;
                        const qsizetype at = edited.indexOf(u"<p>") >= 0 ? edited.indexOf(u"<p>") + 3 + random.bounded(10) : random.bounded(5);
                        if (random.bounded(2) && !edited[at].isSurrogate())
                            edited.remove(at, 1);
                        else
                            edited.insert(at, pool[random.bounded(int(pool.size()))]);
                        const EncodedText saved = encodeDocument(edited, e, read.lineEnding, Unencodable::Report, read.forms);
                        // An ISO-2022-JP character may bring its escapes (3 bytes each way).
                        spread = qMax<int>(spread, int(changedBytes(written.bytes, saved.bytes)));
                        QVERIFY2(changedBytes(written.bytes, saved.bytes) <= 10, qPrintable(encodingName(e)));
                        QCOMPARE(encodeDocument(read.text, e, read.lineEnding, Unencodable::Report, read.forms).bytes,
                                 written.bytes);
                    }
                    if (declared)
                        declaredMisreads += misread;
                    report << QStringLiteral("%1, %2, %3: %4 of %5 misread")
                                  .arg(encodingName(e), QLatin1String(kind.name),
                                       declared ? QStringLiteral("declared") : QStringLiteral("undeclared"))
                                  .arg(misread)
                                  .arg(kPages);
                    // What bytes alone cannot tell apart is only ever the JIS X 0213 forms' and
                    // CP932's user-defined characters.
                    if (!declared && kind.extra.isEmpty() && e != TextEncoding::ShiftJis2004 && e != TextEncoding::EucJis2004)
                        QCOMPARE(misread, 0);
                }
            }
        }
        if (qEnvironmentVariableIsSet("VORNIK_READBACK_REPORT"))
            qInfo().noquote() << report.join(u'\n');
        QCOMPARE(declaredMisreads, 0);
    }

    // A CP932 page that uses the NEC-selected forms (rows ED, EE) or IBM's symbols keeps them
    // through an edit, though the writer's own choice is the other form.
    void secondFormsAreWrittenBack()
    {
        const QByteArray nec("<p>\xED\x40\xED\x8D\xEE\xEF\xFA\x4A\xFA\x54 \xFB\xFC</p>");
        const DecodedText read = decodeText(nec);
        QCOMPARE(int(read.encoding), int(TextEncoding::Cp932));
        QCOMPARE(read.text, QStringLiteral("<p>纊寘ⅰⅠ￢ 髙</p>"));
        QCOMPARE(encodeText(read.text, TextEncoding::Cp932, Unencodable::Report, read.forms).bytes, nec);
        QString edited = read.text;
        edited.insert(3, u'a');
        QCOMPARE(encodeText(edited, TextEncoding::Cp932, Unencodable::Report, read.forms).bytes,
                 QByteArray("<p>a\xED\x40\xED\x8D\xEE\xEF\xFA\x4A\xFA\x54 \xFB\xFC</p>"));
        // Without them the writer's forms: a page of ours is unchanged.
        QCOMPARE(encodeText(read.text, TextEncoding::Cp932).bytes, QByteArray("<p>\xFA\x5C\xFA\xA9\xFA\x40\x87\x54\x81\xCA \xFB\xFC</p>"));
    }

    // A large page read in parts, on both cores, reads as it reads whole: its text, encoding,
    // line ending, second forms (the first used, wherever it is), stray bytes. Pages with more
    // than one reading to weigh are left to the whole reading.
    void largePagesReadInPartsAsWhole()
    {
        QRandomGenerator random(5);
        const auto lines = [&random](const QString& pool, QStringView breaks) {
            QString text;
            while (text.size() < 2'200'000) // two parts of bytes or more in every encoding
                text += randomText(random, pool, {}, random.bounded(0, 90)) + breaks[random.bounded(int(breaks.size()))];
            return text;
        };
        const QString pool = kProse + kNecRow13 + QStringLiteral("<p> & \\~");
        const auto encoded = [](const QString& text, TextEncoding e) { return encodeText(text, e).bytes; };
        QByteArray withForms = encoded(lines(pool, u"\n"), TextEncoding::Cp932);
        withForms.insert(withForms.size() - 100, "\xFA\x5C\xFA\x40\x87\x54"); // IBM and NEC forms, late
        withForms.insert(10, "\xED\x40\xEE\xEF");                            // NEC-selected, early
        QByteArray stray = lines(pool, u"\r").toUtf8();
        stray.insert(stray.size() / 2, "\xFF\xC3");
        const QByteArray pages[] = {
            lines(pool, u"\n").toUtf8(),
            "\xEF\xBB\xBF\xEF\xBB\xBF" + lines(pool + QChar(0x2029), u"\r\n\n").toUtf8(),
            stray,
            encoded(lines(pool, u"\r\n"), TextEncoding::Cp932),
            withForms,
            encoded(lines(pool, u"\r"), TextEncoding::EucJp),
            "<meta charset=\"euc-jp\">" + encoded(lines(pool, u"\n"), TextEncoding::Cp932),
            encoded(lines(pool + kUserDefined, u"\n"), TextEncoding::Cp932),
        };
        int inParts = 0;
        for (const QByteArray& page : pages) {
            const LoadedDocument whole = decodeDocument(page);
            QByteArray bytes = page;
            bytes.detach();
            const std::optional<DecodedParts> parts = decodeInParts(bytes);
            if (!parts) {
                QCOMPARE(bytes, page); // left as they were, for the whole reading
                continue;
            }
            ++inParts;
            QVERIFY(parts->parts.size() > 1 && bytes.isEmpty());
            QCOMPARE(parts->parts.join(QString()), whole.text);
            for (qsizetype i = 0; i + 1 < parts->parts.size(); ++i)
                QVERIFY(parts->parts[i].endsWith(QStringLiteral("\r\n")));
            QCOMPARE(int(parts->encoding), int(whole.encoding));
            QCOMPARE(int(parts->lineEnding), int(whole.lineEnding));
            QCOMPARE(parts->undecodable, whole.undecodable);
            QCOMPARE(parts->foreignEncoding, whole.foreignEncoding);
            QCOMPARE(parts->forms, whole.forms);
        }
        QCOMPARE(inParts, 6);
        // A reader let go of with parts not yet taken stops: it is a few parts ahead at most.
        QByteArray twice = pages[0] + pages[0];
        const std::unique_ptr<PartReader> reader = PartReader::open(twice);
        QVERIFY(reader && reader->partCount() > 5);
        const QString first = reader->take(0);
        QVERIFY(!first.isEmpty() && decodeDocument(pages[0]).text.startsWith(first));
    }

    // The cases the detection decides by the whole page, and what a save would read otherwise.
    void ambiguousPagesAndTheirSaves()
    {
        // A user-defined character in a page declared Shift_JIS: CP932, not JIS X 0213.
        const QByteArray userDefined = "<meta charset=\"Shift_JIS\">\x92\xB7\xF0\x40\x8B\xB4";
        QCOMPARE(int(decodeText(userDefined).encoding), int(TextEncoding::Cp932));
        QCOMPARE(decodeText(userDefined).text.right(3), chars(U"長\uE000橋"));
        // Undeclared, the reading without private-use characters.
        QCOMPARE(int(decodeText(QByteArray("\x92\xB7\xF0\x40\x8B\xB4")).encoding), int(TextEncoding::ShiftJis2004));
        // A Shift_JIS-2004 page whose characters CP932 reads too (as other kanji): what a save
        // would read otherwise, settled by the declaration offered.
        const QString kanji = decodeText(QByteArray("\xED\x8D\xED\xD7\xEE\x70"), TextEncoding::ShiftJis2004).text;
        const QString sjis2004 = QStringLiteral("<html><head><title>x</title></head><p>") + kanji + "</p>";
        QVERIFY(!readsBackAs(encodeText(sjis2004, TextEncoding::ShiftJis2004).bytes, TextEncoding::ShiftJis2004));
        QString declared = sjis2004;
        for (const TextChange& change : exactDeclarationChanges(sjis2004, TextEncoding::ShiftJis2004))
            declared.replace(change.start, change.length, change.text);
        QVERIFY(readsBackAs(encodeText(declared, TextEncoding::ShiftJis2004).bytes, TextEncoding::ShiftJis2004));
        // U+FEFF first without a mark reads back as a mark; with one, as itself.
        const QString feff = QChar(0xFEFF) + QStringLiteral("あ");
        QVERIFY(mayReadOtherwise(TextEncoding::Utf8, feff));
        QVERIFY(!readsBackAs(encodeText(feff, TextEncoding::Utf8).bytes, TextEncoding::Utf8));
        QVERIFY(readsBackAs(encodeText(feff, TextEncoding::Utf8Bom).bytes, TextEncoding::Utf8Bom));
        QVERIFY(!readsBackAs(encodeText(feff, TextEncoding::Utf16LeNoBom).bytes, TextEncoding::Utf16LeNoBom));
        // The declaration is put after <head> where the page has none.
        const TextChanges declare = exactDeclarationChanges(u"<html><head><title>", TextEncoding::ShiftJis2004);
        QCOMPARE(declare.size(), 1);
        QCOMPARE(declare[0].start, 12);
        QCOMPARE(declare[0].text, QStringLiteral("<meta charset=\"Shift_JIS-2004\">"));
        QCOMPARE(exactDeclarationChanges(u"<meta charset=utf-8>", TextEncoding::EucJis2004)[0].text, QStringLiteral("EUC-JIS-2004"));
        // ISO-2022-JP of ASCII and ‾ alone, by its escape.
        QCOMPARE(int(decodeText(encodeText(QStringLiteral("a‾b"), TextEncoding::Iso2022Jp).bytes).encoding),
                 int(TextEncoding::Iso2022Jp));
    }

    // Lone surrogates are asked about in every encoding; an empty UTF-16 text is no fault.
    void surrogatesAndEmptyTexts()
    {
        const QString lone = QStringLiteral("a\r\nb") + QChar(0xD800) + QStringLiteral("c") + QChar(0xDC00);
        for (TextEncoding e : allTextEncodings()) {
            const EncodedText report = encodeText(lone, e);
            QCOMPARE(report.unencodableCount, 2);
            QCOMPARE(report.firstUnencodableLine, 2);
            QCOMPARE(decodeText(encodeText(QString(), e).bytes, e).text, QString());
        }
        QCOMPARE(encodeText(lone, TextEncoding::Utf8, Unencodable::CharacterReferences).bytes,
                 QByteArray("a\r\nb&#xD800;c&#xDC00;"));
    }

    // Every sequence of two bytes (and EUC-JP's three) the tables read, they read as the
    // converter does; every one the converter reads as one character, they read.
    void tablesHoldTheConvertersReadingOfEverySequence()
    {
        for (TextEncoding encoding : {TextEncoding::Cp932, TextEncoding::EucJp}) {
            const char* charset = encoding == TextEncoding::Cp932 ? "CP932" : "EUC-JP-MS";
            QList<QByteArray> sequences;
            for (int b = 0x80; b < 256; ++b) {
                for (int t = 0; t < 256; ++t)
                    sequences.append(QByteArray(1, char(b)) + char(t));
            }
            for (int b = 0xA1; encoding == TextEncoding::EucJp && b <= 0xFE; ++b) {
                for (int t = 0xA1; t <= 0xFE; ++t)
                    sequences.append(QByteArray(1, char(0x8F)) + char(b) + char(t));
            }
            for (const QByteArray& bytes : sequences) {
                bool undecodable = false;
                const QString converter = decodeWithIconv(charset, bytes, &undecodable);
                const std::optional<QString> table = decodeByTable(encoding, bytes);
                if (table)
                    QCOMPARE(*table, converter);
                else if (!undecodable && converter.size() == 1 && bytes.size() > 1 && bytes[0] < 0)
                    QFAIL(qPrintable(QStringLiteral("not in the table: ") + QString::fromLatin1(bytes.toHex())));
            }
        }
    }

    // The wide check and the byte-by-byte one agree with Qt's on UTF-8 with every kind of fault,
    // at every place in and across the 32-byte blocks and in the short tail.
    void utf8IsCheckedAsTheStandardHasIt()
    {
        const QList<QByteArray> pieces = {"a", "\x7F", "\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xE3\x81\x82",
                                          "\xED\x9F\xBF", "\xEF\xBF\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF",
                                          // faults: overlong, surrogate, too large, cut short, stray
                                          "\xC0\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xF0\x8F\xBF\xBF",
                                          "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF", "\x80", "\xE3\x81",
                                          "\xF0\x90\x80", "\xC2"};
        QRandomGenerator random(3);
        for (int round = 0; round < 20000; ++round) {
            QByteArray bytes;
            const int count = random.bounded(90);
            const bool faultless = random.bounded(2);
            for (int i = 0; i < count; ++i)
                bytes += pieces[random.bounded(faultless ? 10 : pieces.size())];
            if (faultless && random.bounded(4) == 0 && !bytes.isEmpty())
                bytes[random.bounded(bytes.size())] = char(random.bounded(256)); // one byte at random
            const bool expected = QUtf8StringView(bytes).isValidUtf8();
            QCOMPARE(isUtf8(bytes), expected);
            QCOMPARE(utf8check::isUtf8ByteByByte(bytes), expected);
        }
    }
};

QTEST_APPLESS_MAIN(PageReadbackTest)
#include "test_page_readback.moc"
