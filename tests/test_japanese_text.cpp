#include "jtext/character_references.h"
#include "jtext/html_entities.h"
#include "jtext/width_and_kana.h"

#include <QSet>
#include <QTest>

using namespace jtext;

namespace {
struct Row {
    Conversion (*convert)(QStringView);
    QString input, expected;
    qsizetype changed;
    qsizetype left = 0;
};

Conversion toReferences(QStringView t) { return toCharacterReferences(t); }
// As a Shift_JIS page would: Japanese is held, the rest is not.
Conversion toReferencesForShiftJis(QStringView t)
{
    return toCharacterReferences(t, [](char32_t c) { return (c >= 0x3040 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF); });
}
Conversion fromReferences(QStringView t) { return fromCharacterReferences(t); }
Conversion fromReferencesForShiftJis(QStringView t)
{
    return fromCharacterReferences(t, [](char32_t c) { return c < 0x80 || (c >= 0x3040 && c <= 0x30FF); });
}
}
Q_DECLARE_METATYPE(Row)

class JapaneseTextTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void convert_data()
    {
        QTest::addColumn<Row>("c");
        QTest::newRow("full to half") << Row{fullWidthToHalfWidth, u"ＡＢｃ１２３（注）～＼／；　あ￥"_qs, u"ABc123(注)~\\/;　あ￥"_qs, 12};
        // As ASCII these would make tags, references or the end of a value out of text.
        QTest::newRow("full to half: markup characters stay")
            << Row{fullWidthToHalfWidth, u"＜ｂ＞太字＜／ｂ＞＆ａｍｐ；＂＇"_qs, u"＜b＞太字＜/b＞＆amp;＂＇"_qs, 7, 7};
        QTest::newRow("half to full") << Row{halfWidthToFullWidth, u"Ab 1<~\\'ｶ"_qs, u"Ａｂ １＜～＼＇ｶ"_qs, 7};
        QTest::newRow("half kana with marks") << Row{halfWidthKanaToFullWidth, u"ｶﾞｷﾞﾊﾟﾋﾞﾎﾟｳﾞﾄﾞｯﾁｬﾝ｡ｱﾞﾟﾟ A"_qs,
                                                     u"ガギパビポヴドッチャン。ア゛゜゜ A"_qs, 16};
        QTest::newRow("hiragana to katakana") << Row{hiraganaToKatakana, u"ぁあゔゝゞーカ漢"_qs, u"ァアヴヽヾーカ漢"_qs, 5};
        QTest::newRow("katakana to hiragana") << Row{katakanaToHiragana, u"ァアヴヽヾヷーｱ漢"_qs, u"ぁあゔゝゞヷーｱ漢"_qs, 5};
        QTest::newRow("to references") << Row{toReferences, u"a<あ😀é"_qs, u"a<&#x3042;&#x1F600;&#xE9;"_qs, 3};
        QTest::newRow("to references, lone surrogate kept") << Row{toReferences, u"x"_qs + QChar(0xD800) + u'y', u"x"_qs + QChar(0xD800) + u'y', 0};
        QTest::newRow("to references, only what the encoding lacks") << Row{toReferencesForShiftJis, u"あ漢é😀"_qs, u"あ漢&#xE9;&#x1F600;"_qs, 2};
        QTest::newRow("from references") << Row{fromReferences,
                                               u"&#12354;&#x3042;&#X1f600;&copy;&Alpha;&alpha;&nbsp;&apos;x"_qs,
                                               u"ああ😀©Αα\u00a0&apos;x"_qs, 7};
        QTest::newRow("from references: markup characters stay") << Row{fromReferences, u"&lt;&gt;&amp;&quot;&#60;&#x26;"_qs,
                                                                       u"&lt;&gt;&amp;&quot;&#60;&#x26;"_qs, 0};
        QTest::newRow("from references: not references") << Row{fromReferences,
            u"&copy &unknown; &#; &#x; &#0; &#xD800; &#x110000; &#99999999999999999999; &#13; &#129; & &amp"_qs,
            u"&copy &unknown; &#; &#x; &#0; &#xD800; &#x110000; &#99999999999999999999; &#13; &#129; & &amp"_qs, 0};
        QTest::newRow("from references: as browsers read 128-159") << Row{fromReferences, u"&#150;&#x80;&#9;&#10;"_qs,
                                                                        u"–€\t\n"_qs, 4};
        QTest::newRow("from references: only what the encoding holds") << Row{fromReferencesForShiftJis,
                                                                            u"&#x3042;&eacute;"_qs, u"あ&eacute;"_qs, 1};
    }
    void convert()
    {
        QFETCH(Row, c);
        const Conversion result = c.convert(c.input);
        QCOMPARE(result.text, c.expected);
        QCOMPARE(result.changed, c.changed);
        QCOMPARE(result.left, c.left);
    }

    void conversionsGoBothWays()
    {
        QString ascii;
        for (char16_t c = 0x21; c <= 0x7E; ++c)
            ascii.append(QChar(c));
        // All but the characters of markup, which stay full width.
        const QString fullWidth = halfWidthToFullWidth(ascii).text;
        for (const QChar c : {u'<', u'>', u'&', u'"', u'\''})
            ascii.replace(c, QChar(c.unicode() + 0xFEE0));
        QCOMPARE(fullWidthToHalfWidth(fullWidth).text, ascii);
        QString hiragana;
        for (char16_t c = 0x3041; c <= 0x3096; ++c)
            hiragana.append(QChar(c));
        QCOMPARE(katakanaToHiragana(hiraganaToKatakana(hiragana).text).text, hiragana);
        QString all;
        for (char32_t c = 0x20; c < 0x30000; c += 7)
            if ((c < 0xD800 || c > 0xDFFF) && (c < 0x80 || c > 0x9F)) // C1 controls read as windows-1252
                all.append(QStringView(QChar::fromUcs4(c)));
        QCOMPARE(fromCharacterReferences(toCharacterReferences(all).text).text, all);
    }

    // No name or character twice; names are case-sensitive.
    void namedEntitiesTable()
    {
        QSet<QString> names;
        QSet<char32_t> codes;
        for (int i = 0; i < kNamedEntityCount; ++i) {
            names.insert(QString::fromLatin1(kNamedEntities[i].name));
            codes.insert(kNamedEntities[i].code);
        }
        QCOMPARE(names.size(), kNamedEntityCount);
        QCOMPARE(codes.size(), kNamedEntityCount);
        QCOMPARE(namedEntity(u"thetasym"), char32_t(977));
        QCOMPARE(namedEntity(u"euro"), char32_t(8364));
        QCOMPARE(namedEntity(u"Euro"), std::nullopt);
    }
};

QTEST_APPLESS_MAIN(JapaneseTextTest)
#include "test_japanese_text.moc"
