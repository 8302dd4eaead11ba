#include "site/folder_replace.h"
#include "site/folder_search.h"
#include "site/line_hits.h"
#include "site/link_check.h"
#include "site/replace_undo.h"
#include "site/site_state.h"
#include "text/encoding_guess.h"
#include "text/table_decode.h"
#include "text/write_steps.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <unistd.h>

namespace {
void put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray got(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QByteArray u8(const char* s)
{
    return QByteArray(s);
}
}

class SiteTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // 会社 becomes 御社 in each file's own encoding; every byte but the hit's stays, mixed
    // line breaks included; the new text's break is the file's own.
    void replaceKeepsEncodingAndLineEnds_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("replacement");
        QTest::newRow("UTF-8, CR LF") << u8("<p>\xe4\xbc\x9a\xe7\xa4\xbe</p>\r\nx\r\n")
                                      << u8("<p>\xe5\xbe\xa1\xe7\xa4\xbe</p>\r\nx\r\n") << "御社";
        QTest::newRow("Shift_JIS, LF") << QByteArray("<p>\x89\xef\x8e\xd0</p>\nx\n")
                                       << QByteArray("<p>\x8c\xe4\x8e\xd0</p>\nx\n") << "御社";
        QTest::newRow("EUC-JP, mixed breaks")
            << QByteArray("<meta charset=\"euc-jp\">\r\n\xb2\xf1\xbc\xd2\nb\rc\r\n")
            << QByteArray("<meta charset=\"euc-jp\">\r\n\xb8\xe6\xbc\xd2\nb\rc\r\n") << "御社";
        QTest::newRow("new break in a CR file") << QByteArray("a\x89\xef\x8e\xd0z\rq\r")
                                                << QByteArray("a1\r2z\rq\r") << "1\\n2";
        QTest::newRow("UTF-16 with its mark")
            << QByteArray("\xff\xfe\x1a\x4f\x3e\x79\r\0\n\0", 10) << QByteArray("\xff\xfe\xa1\x5f\x3e\x79\r\0\n\0", 10) << "御社";
        QTest::newRow("ISO-2022-JP") << QByteArray("\x1b$B2q<R\x1b(B\r\n") << QByteArray("\x1b$B8f<R\x1b(B\r\n") << "御社";
    }
    void replaceKeepsEncodingAndLineEnds()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QString, replacement);
        QTemporaryDir dir;
        const QString page = dir.filePath("site/page.htm");
        put(page, before);
        const bool regex = replacement.contains("\\n");
        TextSearch search(regex ? "会" + QString("社") : "会社", {false, false, regex});
        search.setReplacement(replacement);
        ReplaceUndoStore store(dir.filePath("undo"));
        QVERIFY(store.startSet());
        const FileReplaceOutcome outcome = replaceInSiteFile(page, search, FileStamp::of(page), 1 << 20, store);
        QCOMPARE(int(outcome.kind), int(FileReplaceOutcome::Written));
        QCOMPARE(got(page), after);
        QCOMPARE(store.undo().restored, QStringList{page});
        QCOMPARE(got(page), before);
    }

    // A file whose encoding cannot hold the new text is not written and names the character;
    // one whose bytes do not read back as they are (a stray byte) is left alone.
    void refusedFilesStayAsTheyWere()
    {
        QTemporaryDir dir;
        const QString sjis = dir.filePath("sjis.htm");
        const QString stray = dir.filePath("stray.htm");
        put(sjis, "\x89\xef\x8e\xd0\r\n");
        put(stray, QString("会社 %1 ").arg(QString("日本語").repeated(100)).toUtf8() + "\xff\r\n");
        TextSearch search("会社", {});
        search.setReplacement("🏢");
        ReplaceUndoStore store(dir.filePath("undo"));
        QVERIFY(store.startSet());
        const FileReplaceOutcome a = replaceInSiteFile(sjis, search, {}, 1 << 20, store);
        QCOMPARE(int(a.kind), int(FileReplaceOutcome::Unencodable));
        QCOMPARE(a.detail, QString("🏢"));
        QVERIFY(a.searchedAgain); // the stamp given was not the file's
        QCOMPARE(got(sjis), QByteArray("\x89\xef\x8e\xd0\r\n"));
        search.setReplacement("x");
        QCOMPARE(int(replaceInSiteFile(stray, search, {}, 1 << 20, store).kind), int(FileReplaceOutcome::NotAsRead));
        QVERIFY(store.entries().isEmpty());
    }

    // Not text, too large and links out of the folder are counted, not searched; the rest are
    // found in path order with their lines.
    void searchSkipsAndCounts()
    {
        QTemporaryDir dir, outside;
        const QString site = dir.filePath("site");
        put(site + "/a.htm", "one\r\ntwo Two\r\n");
        put(site + "/sub/b.html", "\x89\xef two\n");
        put(site + "/bin.htm", QByteArray("two\0two", 7));
        put(site + "/big.txt", QByteArray(5000, 't') + "two");
        put(site + "/skip.png", "two");
        put(outside.filePath("o.htm"), "two");
        QVERIFY(QFile::link(outside.filePath("o.htm"), site + "/link.htm"));
        SiteQuery query{site, splitNamePatterns(defaultNamePatterns()), true, 4096};
        const SiteFileList files = listSiteFiles(query);
        QCOMPARE(files.outside, 1);
        QCOMPARE(files.paths.size(), 4);
        QList<FileHits> seen;
        std::atomic<bool> stop = false;
        const TextSearch search("two", {true, true, false});
        QCOMPARE(searchSite(files, search, query, std::nullopt, stop, [&](FileHits&& h) { seen.append(h); }), 4);
        QCOMPARE(seen.size(), 4);
        QCOMPARE(seen[0].path, QFileInfo(site).canonicalFilePath() + "/a.htm");
        QCOMPARE(seen[0].count, 1);
        QCOMPARE(seen[0].hits[0].line, 2);
        QCOMPARE(seen[0].hits[0].lineText, QString("two Two"));
        QCOMPARE(int(seen[1].skipped), int(SiteSkip::TooLarge));
        QCOMPARE(int(seen[2].skipped), int(SiteSkip::NotText));
        QCOMPARE(int(seen[3].encoding), int(TextEncoding::Cp932));
        QCOMPARE(seen[3].count, 1);
        // The page shown stands for its file: its unsaved text is what is searched.
        seen.clear();
        const ShownPage shown{files.paths[0], "two\ntwo\ntwo"};
        searchSite(files, search, query, shown, stop, [&](FileHits&& h) { seen.append(h); }, 1);
        QCOMPARE(seen[0].count, 3);
    }

    // A write failing part way through a replace: each file is as it was or fully replaced,
    // and 元に戻す puts back those written and leaves a changed one alone.
    void failureInTheMiddleAndUndo()
    {
        QTemporaryDir dir;
        QStringList pages;
        for (int i = 0; i < 4; ++i) {
            pages << dir.filePath(QString("p%1.htm").arg(i));
            put(pages.last(), QByteArray("old old\n").repeated(i + 1));
        }
        TextSearch search("old", {true, false, false});
        search.setReplacement("new");
        ReplaceUndoStore store(dir.filePath("undo"));
        QVERIFY(store.startSet());
        QList<int> kinds;
        for (int i = 0; i < 4; ++i) {
            if (i == 2)
                failWriteStepForTesting(WriteStep::Rename, EIO);
            kinds << replaceInSiteFile(pages[i], search, FileStamp::of(pages[i]), 1 << 20, store).kind;
        }
        QCOMPARE(kinds, (QList<int>{FileReplaceOutcome::Written, FileReplaceOutcome::Written, FileReplaceOutcome::Failed,
                                    FileReplaceOutcome::Written}));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(got(pages[i]), QByteArray(i == 2 ? "old old\n" : "new new\n").repeated(i + 1));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 4); // no temporary file left
        put(pages[3], "edited since");
        const ReplaceUndoStore::UndoOutcome undone = ReplaceUndoStore(dir.filePath("undo")).undo();
        QCOMPARE(undone.restored, (QStringList{pages[0], pages[1]}));
        QCOMPARE(undone.changedSince, QStringList{pages[3]});
        QCOMPARE(got(pages[0]), QByteArray("old old\n"));
        QCOMPARE(got(pages[2]), QByteArray("old old\n").repeated(3));
        QCOMPARE(got(pages[3]), QByteArray("edited since"));
    }

    // The rules are the page search's own: case, whole words, regular expressions by line.
    void searchRulesAreThePageSearch_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("options"); // 1 case, 2 word, 4 regex
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("lastLine");
        QTest::newRow("any case") << "cat" << 0 << 5 << 3;
        QTest::newRow("case") << "cat" << 1 << 3 << 3;
        QTest::newRow("word") << "cat" << 2 << 4 << 3;
        QTest::newRow("regex") << "c.t" << 4 << 6 << 3;
        QTest::newRow("regex at line starts") << "^c" << 5 << 1 << 3;
        QTest::newRow("none") << "dog" << 0 << 0 << 0;
    }
    void searchRulesAreThePageSearch()
    {
        QFETCH(QString, pattern);
        QFETCH(int, options);
        QFETCH(int, count);
        QFETCH(int, lastLine);
        FileHits hits;
        collectHits(u"Cat cat concat\nCAT\nc.t cat", TextSearch(pattern, {bool(options & 1), bool(options & 2), bool(options & 4)}), hits);
        QCOMPARE(hits.count, count);
        if (count == 0)
            return;
        QCOMPARE(hits.hits.last().line, lastLine);
        QCOMPARE(hits.hits.last().lineText, QString("c.t cat"));
    }

    // The quick search a line at a time (in the decoded text with its own breaks, and in
    // UTF-8 bytes) finds exactly what the search of the whole LF text finds: random pages of
    // tokens that match caselessly only through forms outside ASCII (the Kelvin sign, the long
    // s, full-width letters), breaks of all three kinds, a U+FEFF at a line's start, long lines.
    void quickSearchFindsWhatTheWholeSearchFinds()
    {
        const QStringList tokens{"cat", "Cat ", "CAT", QString::fromUtf16(u"ｃａｔ"), "会社", QString::fromUtf16(u"\u212Ait"),
                                 "kit ", "KIT", QString::fromUtf16(u"\u017Fky"), "sky", "a-b", QString::fromUtf16(u"é"),
                                 QString::fromUtf16(u"É"), " ", "_", "\r\n", "\n", "\r", QString::fromUtf16(u"\uFEFF"),
                                 QString(300, u'x')};
        const QStringList patterns{"cat", "会社", "kit", "sky", "a-b", QString::fromUtf16(u"é"), "at", "t C", "ks"};
        QRandomGenerator random(7);
        int usable = 0;
        for (int page = 0; page < 120; ++page) {
            QString raw;
            for (int n = random.bounded(1, 60); n > 0; --n)
                raw += tokens[random.bounded(int(tokens.size()))];
            QString lf = raw;
            lf.replace("\r\n", "\n").replace(u'\r', u'\n');
            for (const QString& pattern : patterns) {
                for (int options = 0; options < 4; ++options) {
                    const TextSearch search(pattern, {bool(options & 1), bool(options & 2), false});
                    const LineHitFinder finder(search);
                    FileHits whole, decoded, bytes;
                    collectHits(lf, search, whole);
                    if (!finder.usable())
                        continue;
                    ++usable;
                    finder.collect(raw, decoded);
                    finder.collectUtf8(raw.toUtf8(), bytes);
                    for (const FileHits* quick : {&decoded, &bytes}) {
                        QCOMPARE(quick->count, whole.count);
                        for (qsizetype i = 0; i < whole.hits.size(); ++i) {
                            const LineHit &a = quick->hits[i], &b = whole.hits[i];
                            QVERIFY2(a.line == b.line && a.column == b.column && a.length == b.length && a.lineText == b.lineText,
                                     qPrintable(QString("%1 / %2: %3").arg(pattern).arg(options).arg(raw.left(200))));
                        }
                    }
                }
            }
        }
        // Searched whole: "ks" and "sky" caseless (nothing certain in them), "é" (one character,
        // and cased).
        QCOMPARE(usable, 120 * (patterns.size() * 4 - 2 - 2 - 4));
    }

    // Shift_JIS and EUC-JP pages are searched in their bytes: the same hits as the whole
    // decoded text, with trail bytes that look like ASCII, characters of several forms (which
    // the bytes cannot be searched for) and half-width kana.
    void quickSearchInLegacyBytes()
    {
        const QList<QByteArrayList> tokens{
            {"cat", "Cat ", "CAT", "\x82\x83\x82\x81\x82\x94", "\x89\xEF\x8E\xD0", "\x83\x5C\x95\x5C", "\x81\xE6",
             "\x87\x9A", "\xFA\x5B", "\xB1\xB2", "\\", " ", "\r\n", "\n", "\r"},
            {"cat", "Cat ", "CAT", "\xA3\xE3\xA3\xE1\xA3\xF4", "\xB2\xF1\xBC\xD2", "\xA5\xBD\xC9\xBD", "\xA2\xE8",
             "\x8E\xB1\x8E\xB2", "\x8F\xB0\xA1", " ", "\r\n", "\n", "\r"}};
        const QStringList patterns{"cat", "at", "t C", QString::fromUtf16(u"会社"), QString::fromUtf16(u"ソ表"),
                                   QString::fromUtf16(u"\\c"), QString::fromUtf16(u"\u2235会"), QString::fromUtf16(u"ｱｲ"),
                                   QString::fromUtf16(u"丂 ")};
        const TextEncoding encodings[] = {TextEncoding::Cp932, TextEncoding::EucJp};
        QRandomGenerator random(11);
        int inBytes = 0;
        int handedOn = 0;
        for (int e = 0; e < 2; ++e) {
            for (int page = 0; page < 80; ++page) {
                QByteArray bytes;
                for (int n = random.bounded(1, 50); n > 0; --n)
                    bytes += tokens[e][random.bounded(int(tokens[e].size()))];
                QString lf = decodeText(bytes, encodings[e]).text;
                lf.replace("\r\n", "\n").replace(u'\r', u'\n');
                // The table scan (and declared charset) the guess hands on are what a search would find.
                if (const EncodingGuess guess = guessEncodingOf(bytes); guess.tableScanned) {
                    const TableScan scan = scanByTable(guess.encoding, bytes);
                    QVERIFY(scan.read == guess.tableRead && scan.privateUse == guess.tablePrivateUse);
                    QCOMPARE(readsAsGuessedByTable(bytes, guess), readsAsGuessedByTable(bytes, EncodingGuess{guess.encoding}));
                    ++handedOn;
                }
                for (const QString& pattern : patterns) {
                    for (int options = 0; options < 2; ++options) {
                        const TextSearch search(pattern, {bool(options), false, false});
                        const LineHitFinder finder(search);
                        FileHits whole, quick;
                        collectHits(lf, search, whole);
                        if (!finder.usable() || !finder.collectEncoded(bytes, encodings[e], quick))
                            continue;
                        ++inBytes;
                        QCOMPARE(quick.count, whole.count);
                        for (qsizetype i = 0; i < whole.hits.size(); ++i) {
                            const LineHit &a = quick.hits[i], &b = whole.hits[i];
                            QVERIFY(a.line == b.line && a.column == b.column && a.lineText == b.lineText);
                        }
                    }
                }
            }
        }
        QVERIFY(inBytes > 1000 && handedOn > 100);
        // The because sign has three forms in CP932: never looked for in the bytes.
        FileHits none;
        QVERIFY(!LineHitFinder(TextSearch(QString::fromUtf16(u"\u2235会"), {})).collectEncoded("\x87\x9A", TextEncoding::Cp932, none));
    }

    // A page is written a piece at a time, its unchanged bytes copied from the old ones: the
    // same bytes, and the same refusals, as encoding the whole replaced text. Random pages of
    // mixed breaks, lines longer than a piece (with pairs to cut), a stray surrogate in UTF-16,
    // CP932's second forms (which do not read back), and replacements with breaks, nothing, or
    // what the encoding lacks.
    void piecewiseWriteIsTheWholeWrite()
    {
        const QStringList common{"会社", "<p>", "x", "\r\n", "\n", "\r", "日本語の文", "ｱｲ", "髙", QString("漢字").repeated(40000)};
        const QList<QByteArrayList> extras{{"😀", QString("x😀").repeated(25000).toUtf8()},
                                           {QByteArray("\x3D\xD8", 2), QByteArray("x\0\x3D\xD8\x00\xDE", 6).repeated(25000)},
                                           {"\x87\x9A", "\xED\x40"},
                                           {"\xAD\xA1", "\xA1\xC1"}};
        const TextEncoding encodings[] = {TextEncoding::Utf8, TextEncoding::Utf16Le, TextEncoding::Cp932, TextEncoding::EucJp};
        const QStringList replacements{"御社", "1\\n2", "", "🏢", "〜"};
        QRandomGenerator random(5);
        int made = 0, refused = 0;
        for (int e = 0; e < 4; ++e) {
            const bool unicode = e < 2;
            for (int page = 0; page < 60; ++page) {
                QByteArray bytes = e == 1 ? QByteArray("\xFF\xFE") : e == 3 ? QByteArray("<meta charset=\"euc-jp\">") : "";
                for (int n = random.bounded(1, 30); n > 0; --n) {
                    const int pick = random.bounded(int(common.size()) * 2 + 2);
                    if (pick < common.size() * 2)
                        bytes += encodeText(common[pick / 2], encodings[e]).bytes.sliced(e == 1 ? 2 : 0);
                    else
                        bytes += extras[e][pick % 2];
                }
                const SiteText site = siteTextOf(bytes);
                if (site.encoding != encodings[e] || site.undecodable)
                    continue;
                const QString replacement = replacements[page % replacements.size()];
                TextSearch search(QString(page % 3 ? "会社" : "x"), {false, false, replacement.contains("\\")});
                search.setReplacement(replacement);
                qsizetype count = 0;
                const TextChanges changes = replaceAllChanges(site.text, search, &count);
                ReplacedBytes whole;
                if (unicode || encodeText(withOwnBreaks(site, {}), site.encoding).bytes == bytes) {
                    EncodedText encoded = encodeText(withOwnBreaks(site, changes), site.encoding);
                    whole.result = encoded.unencodableCount > 0 ? ReplacedBytes::Unencodable : ReplacedBytes::Made;
                    whole.bytes = encoded.bytes;
                }
                const ReplacedBytes pieces = replacedBytes(SiteText(site), bytes, changes);
                QCOMPARE(int(pieces.result), int(whole.result));
                if (whole.result == ReplacedBytes::Made)
                    QVERIFY(pieces.bytes == whole.bytes);
                ++(whole.result == ReplacedBytes::Made ? made : refused);
            }
        }
        QVERIFY(made > 100 && refused > 20);
    }

    // A file changed after the search is searched again: what it holds then is replaced.
    // A stop ends a search before every file is looked at.
    void changedSinceTheSearchAndStop()
    {
        QTemporaryDir dir;
        const QString page = dir.filePath("page.htm");
        put(page, "old\n");
        const FileStamp searched = FileStamp::of(page);
        put(page, "old and old again\n");
        TextSearch search("old", {});
        search.setReplacement("new");
        ReplaceUndoStore store(dir.filePath("undo"));
        QVERIFY(store.startSet());
        const FileReplaceOutcome outcome = replaceInSiteFile(page, search, searched, 1 << 20, store);
        QVERIFY(outcome.searchedAgain);
        QCOMPARE(outcome.count, 2);
        QCOMPARE(got(page), QByteArray("new and new again\n"));

        for (int i = 0; i < 20; ++i)
            put(dir.filePath(QString("site/p%1.htm").arg(i)), "old");
        const SiteQuery query{dir.filePath("site"), {"*.htm"}, true};
        std::atomic<bool> stop = false;
        int seen = 0;
        const int looked = searchSite(listSiteFiles(query), search, query, std::nullopt, stop, [&](FileHits&&) {
            if (++seen == 3)
                stop = true;
        });
        QVERIFY(looked < 20);
        QCOMPARE(looked, seen);
    }

    // The names last used and each site's root are remembered; a page's root is the deepest
    // remembered folder above it.
    void rememberedBetweenRuns()
    {
        QTemporaryDir dir;
        const QString root = dir.filePath("site");
        rememberSiteRoot(root);
        rememberSiteRoot(root + "/shop");
        QCOMPARE(rememberedSiteRoot(root + "/shop/a/b.htm"), root + "/shop");
        QCOMPARE(rememberedSiteRoot(root + "/b.htm"), root);
        QCOMPARE(rememberedSiteRoot(root + "x/b.htm"), QString());
        rememberNamePatterns("*.htm;*.inc");
        QCOMPARE(rememberedNamePatterns(), QString("*.htm;*.inc"));
        rememberNamePatterns(defaultNamePatterns());
    }

    void linkRules_data()
    {
        QTest::addColumn<QString>("markup");
        QTest::addColumn<int>("kind"); // -1: not listed
        QTest::addColumn<QString>("existing");
        QTest::newRow("good") << "<a href=\"sub/page.html\">" << -1 << "";
        QTest::newRow("missing") << "<img src=\"img/none.png\">" << int(LinkProblem::Missing) << "";
        QTest::newRow("other case") << "<img src='img/logo.PNG'>" << int(LinkProblem::OtherCase) << "Logo.png";
        QTest::newRow("folder in other case") << "<a href=IMG/Logo.png>" << int(LinkProblem::OtherCase) << "img";
        QTest::newRow("root relative") << "<a href=\"/sub/page.html#sec\">" << -1 << "";
        QTest::newRow("parent") << "<a href=\"../x.htm\">" << int(LinkProblem::Missing) << "";
        QTest::newRow("fragment by name") << "<a href=\"sub/page.html#n1\">" << -1 << "";
        QTest::newRow("no fragment") << "<a href=\"sub/page.html#gone\">" << int(LinkProblem::NoFragment) << "";
        QTest::newRow("own fragment") << "<a href=\"#here\"><p id=here>" << -1 << "";
        QTest::newRow("own fragment missing") << "<a href=\"#nowhere\">" << int(LinkProblem::NoFragment) << "";
        QTest::newRow("query and escapes") << "<a href=\"sub/page%20two.html?x=1\">" << -1 << "";
        QTest::newRow("srcset second") << "<img srcset=\"img/Logo.png 1x, img/big.png 2x\">" << int(LinkProblem::Missing) << "";
        QTest::newRow("poster") << "<video poster=\"v.jpg\">" << int(LinkProblem::Missing) << "";
        QTest::newRow("object data") << "<object data=\"x.svg\">" << int(LinkProblem::Missing) << "";
        QTest::newRow("form action") << "<form action=\"send.php\">" << int(LinkProblem::Missing) << "";
        QTest::newRow("style attribute") << "<div style=\"background:url('img/bg.png')\">" << int(LinkProblem::Missing) << "";
        QTest::newRow("style element") << "<style>\nbody { background: url(img/Logo.png) }\n p{background:url(\"no.gif\")}</style>"
                                       << int(LinkProblem::Missing) << "";
        QTest::newRow("elsewhere") << "<a href=\"https://x/y\"><a href=\"mailto:a@b\"><a href=\"tel:1\"><a href=\"javascript:void(0)\"><a href=\"//cdn/x.js\">"
                                   << -1 << "";
        QTest::newRow("made by scripts") << "<script>img.src = \"gone.png\";</script><a href=\"<?php echo $u ?>\">" << -1 << "";
        QTest::newRow("in a comment") << "<!-- <a href=\"old.htm\"> -->" << -1 << "";
        QTest::newRow("data- attribute") << "<div data-src=\"gone.png\">" << -1 << "";
    }
    void linkRules()
    {
        QFETCH(QString, markup);
        QFETCH(int, kind);
        QFETCH(QString, existing);
        QTemporaryDir dir;
        const QString root = QFileInfo(dir.path()).canonicalFilePath();
        put(root + "/img/Logo.png", "png");
        put(root + "/sub/page.html", "<h2 id=\"sec\">x</h2><a name='n1'>");
        put(root + "/sub/page two.html", "x");
        LinkChecker checker(root);
        const QList<LinkProblem> problems = checker.check(root + "/index.html", "<p>\n" + markup);
        QCOMPARE(problems.size(), kind < 0 ? 0 : 1);
        if (kind < 0)
            return;
        QCOMPARE(int(problems[0].kind), kind);
        QCOMPARE(problems[0].existing, existing);
        QVERIFY(problems[0].line >= 2);
    }
};

QTEST_GUILESS_MAIN(SiteTest)
#include "test_site.moc"
