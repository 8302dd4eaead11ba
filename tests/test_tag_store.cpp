#include "text/text_encoding.h"
#include "usertags/profile_reader.h"
#include "usertags/profile_writer.h"
#include "usertags/user_tag_store.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace {
QByteArray cp932(const QString& text)
{
    return encodeText(text, TextEncoding::Cp932).bytes;
}

// With its byte-order mark.
QByteArray utf16(const QString& text, bool bigEndian)
{
    QStringEncoder encoder(bigEndian ? QStringEncoder::Utf16BE : QStringEncoder::Utf16LE,
                           QStringEncoder::Flag::WriteBom);
    return encoder(text);
}

// Literal bytes, NULs included.
template <size_t N>
QByteArray bytes(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}
}

class TagStoreTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void missingFileGivesEmptyValues()
    {
        QTemporaryDir dir;
        const UserTagStore store = readUserTagStore(Profile::load(dir.filePath("tag.ini")));
        QCOMPARE(store.UserTagTable, QStringList(100, QString()));
        QCOMPARE(store.descriptions, QStringList(100, QString()));
        QCOMPARE(store.UserTagTitles, QStringList(10, QString()));
    }

    void keysLandInTheirPlaces()
    {
        const Profile profile = Profile::fromBytes(
            "[tag set]\r\nTitle0=見出し\r\nsetumei0=改段\r\ntag0=<p>\r\n"
            "setumei99=last\r\ntag99=<hr>\r\ntag10=<b>\r\nTitle9=ten\r\n"
            // never read: a leading zero, numbers past the end
            "tag05=zero\r\ntag100=past\r\nsetumei100=past\r\nTitle10=past\r\n");
        const UserTagStore store = readUserTagStore(profile);
        QCOMPARE(store.UserTagTitles[0], QString("見出し"));
        QCOMPARE(store.descriptions[0], QString("改段"));
        QCOMPARE(store.UserTagTable[0], QString("<p>"));
        QCOMPARE(store.descriptions[99], QString("last"));
        QCOMPARE(store.UserTagTable[99], QString("<hr>"));
        QCOMPARE(store.UserTagTable[10], QString("<b>"));
        QCOMPARE(store.UserTagTitles[9], QString("ten"));
        QCOMPARE(store.UserTagTable[5], QString());
        QCOMPARE(store.UserTagTitles[1], QString());
        QVERIFY(!store.UserTagTable.contains("past") && !store.descriptions.contains("past"));
    }

    void profileRules()
    {
        const Profile profile = Profile::fromBytes(bytes(
            "tag1=before any section\n"
            "[other]\ntag1=other section\n"
            "  [ TAG SET ]  \n"
            "TAG1 =   spaced value\t \n"
            "tag1=duplicate, ignored\n"
            "; tag2=comment\n"
            "tag3\n"
            "tag4=a=b\n"
            "tag5=\"quoted\"\n"
            "tag6=nul\0after\n"
            "[tag set]\ntag7=second section of the name, ignored\n"));
        QCOMPARE(profile.value(u"Tag Set", u"tag1"), QString("spaced value"));
        QCOMPARE(profile.value(u"tag set", u"tag2"), QString());
        QCOMPARE(profile.value(u"tag set", u"tag3"), QString());
        QCOMPARE(profile.value(u"tag set", u"tag4"), QString("a=b"));
        QCOMPARE(profile.value(u"tag set", u"tag5"), QString("\"quoted\""));
        QCOMPARE(profile.value(u"tag set", u"tag6"), QString("nul"));
        QCOMPARE(profile.value(u"tag set", u"tag7"), QString());
        QCOMPARE(profile.value(u"other", u"tag1"), QString("other section"));
        QCOMPARE(profile.value(u"missing", u"tag1"), QString());
        // The same name asked twice, in one pass.
        QCOMPARE(profile.values(u"tag set", {"tag1", "TAG1"}), QStringList({"spaced value", "spaced value"}));
    }

    void encodingsAndLongValues_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        const QString kana = QString(150, QChar(u'あ')); // 300 bytes in CP932, 450 in UTF-8
        QTest::newRow("ascii 300") << QByteArray("[tag set]\ntag0=" + QByteArray(300, 'x') + "\n")
                                   << QString(255, u'x');
        // 255 is odd: the 128th two-byte character would stand across the cut.
        QTest::newRow("cp932 300") << QByteArray("[tag set]\ntag0=" + cp932(kana) + "\n") << QString(127, QChar(u'あ'));
        QTest::newRow("cp932 odd start") << QByteArray("[tag set]\ntag0=a" + cp932(kana) + "\n")
                                         << "a" + QString(127, QChar(u'あ'));
        QTest::newRow("utf8 450") << QByteArray("[tag set]\ntag0=" + kana.toUtf8() + "\n") << QString(85, QChar(u'あ'));
        QTest::newRow("utf8 bom") << QByteArray("\xEF\xBB\xBF[tag set]\ntag0=" + QString("見出し").toUtf8() + "\n")
                                  << QString("見出し");
        // Second bytes that look like ASCII: ソ is 83 5C, ゾ 83 5D ("]"), 院 89 40.
        QTest::newRow("cp932 trail bytes") << QByteArray(cp932("[tag set]\r\ntag0=ソゾ院]\r\n")) << QString("ソゾ院]");
        // UTF-16 by its mark: 255 bytes hold 127 units, and a pair is never split.
        QTest::newRow("utf16le 300") << utf16("[tag set]\r\ntag0=" + kana + "\r\n", false)
                                     << QString(127, QChar(u'あ'));
        const QString pairs = QString::fromUtf8("\U0001F600").repeated(70);
        QTest::newRow("utf16be pairs") << utf16("[Tag Set]\ntag0 = " + pairs + "\n", true) << pairs.first(126);
    }
    void encodingsAndLongValues()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        QCOMPARE(Profile::fromBytes(file).value(u"tag set", u"tag0"), expected);
    }

    void cp932SectionWithTrailBracket()
    {
        // ゾ (83 5D) and 珪 (8C 5D) hold "]" as their second byte.
        const QString name = QStringLiteral("ゾ珪セット");
        const Profile profile = Profile::fromBytes(cp932("[" + name + "]\r\nkey=値\r\n"));
        QCOMPARE(profile.encoding(), ProfileEncoding::Cp932);
        QCOMPARE(profile.value(name, u"key"), QString("値"));
    }

    void malformedFilesLoad_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("tag0"); // what entry 0 must hold
        QTest::addColumn<QString>("tag1");
        QByteArray binary(1 << 16, '\0');
        for (int i = 0; i < binary.size(); ++i)
            binary[i] = char((i * 7919) % 251);
        QTest::newRow("binary") << binary << QString() << QString();
        QTest::newRow("long line") << QByteArray("[tag set]\ntag0=" + QByteArray(1 << 18, 'y') + "\ntag1=after\n")
                                   << QString(255, u'y') << QString("after");
        QTest::newRow("long key") << QByteArray("[tag set]\n" + QByteArray(1 << 18, 'k') + "=v\ntag1=after\n")
                                  << QString() << QString("after");
        QTest::newRow("long section") << QByteArray("[" + QByteArray(1 << 18, '\x82') + "\n") << QString() << QString();
        QByteArray many = "[tag set]\n";
        while (many.size() < (1 << 18))
            many += "tag1=dup\n";
        QTest::newRow("duplicate keys") << many << QString() << QString("dup");
        QTest::newRow("no section") << QByteArray("tag0=x\ntag1=y\n") << QString() << QString();
    }
    // How fast they load is bench_tag_store's to measure.
    void malformedFilesLoad()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, tag0);
        QFETCH(QString, tag1);
        const UserTagStore store = readUserTagStore(Profile::fromBytes(file));
        // Every entry is there, whatever the file held, so the menus can be filled by index.
        QCOMPARE(store.UserTagTable.size(), usertags::kEntries);
        QCOMPARE(store.descriptions.size(), usertags::kEntries);
        QCOMPARE(store.UserTagTitles.size(), usertags::kSets);
        QCOMPARE(store.UserTagTable[0], tag0);
        QCOMPARE(store.UserTagTable[1], tag1);
        for (const QStringList* values : {&store.UserTagTable, &store.descriptions, &store.UserTagTitles}) {
            for (const QString& value : *values)
                QVERIFY(value.toUtf8().size() <= 255 * 3);
        }
    }

    void writerKeepsEverythingElse()
    {
        const QByteArray original = "; my notes\n[colours]\nred=#f00\n\n[Tag Set]\nTitle0=old\nTAG0=<p>\nextra=kept\n\n"
                                    "[later]\nx=1";
        const QByteArray written = withProfileValues(
            original, "tag set", {{"Title0", "new"}, {"tag0", "<div>"}, {"tag1", "<b>"}, {"setumei1", ""}},
            TextEncoding::Utf8);
        QCOMPARE(written, QByteArray("; my notes\n[colours]\nred=#f00\n\n[Tag Set]\nTitle0=new\nTAG0=<div>\nextra=kept\n"
                                     "tag1=<b>\n\n[later]\nx=1"));
        const Profile reread = Profile::fromBytes(written);
        QCOMPARE(reread.value(u"tag set", u"tag1"), QString("<b>"));
        QCOMPARE(reread.value(u"later", u"x"), QString("1"));
    }

    void writerAddsTheSectionAndKeepsEncoding()
    {
        QCOMPARE(withProfileValues(QByteArray(), "tag set", {{"tag0", "<p>"}, {"tag1", ""}}, TextEncoding::Utf8),
                 QByteArray("[tag set]\r\ntag0=<p>\r\n"));
        QCOMPARE(withProfileValues("[a]\r\nb=1", "tag set", {{"Title0", "見出し"}}, TextEncoding::Cp932),
                 QByteArray("[a]\r\nb=1\r\n\r\n[tag set]\r\n") + cp932("Title0=見出し\r\n"));
        // A CP932 file stays CP932, undecodable bytes of other lines included.
        const QByteArray original = cp932("[tag set]\r\ntag0=古い\r\n") + "junk=\x81\xFF\r\n";
        const QByteArray written = withProfileValues(original, "tag set", {{"tag0", "新しい"}}, TextEncoding::Cp932);
        QCOMPARE(written, cp932("[tag set]\r\ntag0=新しい\r\n") + "junk=\x81\xFF\r\n");

        // Files that could not be written back as they are: broken UTF-16, NULs without a mark.
        QVERIFY(!Profile::fromBytes(utf16("[tag set]\r\n", false) + "x").canWriteBack());
        QVERIFY(!Profile::fromBytes(utf16("[tag set]\r\n", false) + bytes("\x00\xD8")).canWriteBack());
        QVERIFY(!Profile::fromBytes(utf16("[tag set]\r\n", true).sliced(2)).canWriteBack());
    }

    // The file's encoding is decided from all of it, and a save does not change it.
    void savesKeepTheFileEncoding()
    {
        // Half-width katakana ﾃｽ are C3 BD, which is "ý" in UTF-8; ｱ alone is not UTF-8.
        const QByteArray sjis = cp932("[tag set]\r\nTitle0=ﾃｽ\r\ntag0=ｱ\r\n");
        const Profile before = Profile::fromBytes(sjis);
        QCOMPARE(before.encoding(), ProfileEncoding::Cp932);
        const Profile after = Profile::fromBytes(profileFileWithValues(before, "tag set", {{"tag0", "<p>"}}));
        QCOMPARE(after.encoding(), ProfileEncoding::Cp932);
        QCOMPARE(after.value(u"tag set", u"Title0"), QString("ﾃｽ"));

        // The other way: é alone in an ASCII file would read as ﾃｩ; the mark keeps it UTF-8.
        const Profile ascii = Profile::fromBytes("[tag set]\r\ntag0=<p>\r\n");
        const QByteArray written = profileFileWithValues(ascii, "tag set", {{"Title0", "é"}});
        QCOMPARE(Profile::fromBytes(written).encoding(), ProfileEncoding::Utf8);
        QCOMPARE(Profile::fromBytes(written).value(u"tag set", u"Title0"), QString("é"));
        QCOMPARE(Profile::fromBytes(QString("[tag set]\r\nTitle0=日本é\r\n").toUtf8()).encoding(), ProfileEncoding::Utf8);
    }

    // Reader and writer take the same blanks off around keys: the line the reader finds is
    // the line the writer replaces, and no other.
    void oneRuleForBlanks_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("spaces and tabs") << QByteArray(" \ttag0 \t= \tvalue\t ");
        QTest::newRow("vertical tab and form feed") << QByteArray("\vtag0\f=\fvalue\v");
        QTest::newRow("full-width space is no blank") << QString("　tag0=value").toUtf8();
        QTest::newRow("no-break space is no blank") << QString("tag0\u00A0=value").toUtf8();
    }
    void oneRuleForBlanks()
    {
        QFETCH(QByteArray, line);
        const QByteArray file = "[tag set]\r\n" + line + "\r\n";
        const bool found = Profile::fromBytes(file).value(u"tag set", u"tag0") == "value";
        const QByteArray written = withProfileValues(file, "tag set", {{"tag0", "new"}}, TextEncoding::Utf8);
        QCOMPARE(Profile::fromBytes(written).value(u"tag set", u"tag0"), QString("new"));
        QCOMPARE(written.contains(line), !found);
        // Blanks around a value would not come back: the writer refuses them.
        QVERIFY(valueProblem(" x", ProfileEncoding::Utf8) && valueProblem("x\v", ProfileEncoding::Cp932));
        QVERIFY(!valueProblem("a b", ProfileEncoding::Utf8));
    }

    // What the companion refuses to save (its own suite covers CP932 lengths and characters).
    void valueProblems()
    {
        QVERIFY(!valueProblem(QString(255, u'x'), ProfileEncoding::Utf8));
        QVERIFY(valueProblem(QString(256, u'x'), ProfileEncoding::Utf8));
        QVERIFY(valueProblem(QString(86, QChar(u'あ')), ProfileEncoding::Utf8)); // 258 bytes
        QVERIFY(valueProblem("a\nb", ProfileEncoding::Utf8) && valueProblem("a\rb", ProfileEncoding::Utf8));
        QVERIFY(!valueProblem(QString::fromUtf8("\U0001F600"), ProfileEncoding::Utf8));
        QVERIFY(!valueProblem(QString(127, QChar(u'あ')), ProfileEncoding::Utf16Le));
        QVERIFY(valueProblem(QString(128, u'x'), ProfileEncoding::Utf16Be));
        QCOMPARE(valueByteCount("あa", ProfileEncoding::Cp932), 3);
        QCOMPARE(valueByteCount("あa", ProfileEncoding::Utf8), 4);
    }
};

QTEST_GUILESS_MAIN(TagStoreTest)
#include "test_tag_store.moc"
