#include "app/command_line.h"
#include "app/program_options.h"

#include <QTest>

class CommandLineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pathIsTheTextWithoutItsEnding_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "/tmp/x.htm on" << true << "/tmp/x.htm";
        QTest::newRow("blank in path") << "/tmp/a b/x.htm on" << true << "/tmp/a b/x.htm";
        QTest::newRow("empty") << "" << false << "";
        // Without the blank and "on", the whole text is the path, as people type it.
        QTest::newRow("typed path") << "/tmp/x.htm" << true << "/tmp/x.htm";
        QTest::newRow("capitals do not count") << "/tmp/x.htm ON" << true << "/tmp/x.htm ON";
        QTest::newRow("name ending in the letters") << "/tmp/data.json" << true << "/tmp/data.json";
        QTest::newRow("only on") << "on" << true << "";
        QTest::newRow("blank kept") << " /tmp/x on" << true << " /tmp/x";
    }
    void pathIsTheTextWithoutItsEnding()
    {
        QFETCH(QString, text);
        QFETCH(bool, opens);
        QFETCH(QString, path);
        const auto result = commandLineFilePath(text);
        QCOMPARE(result.has_value(), opens);
        if (opens)
            QCOMPARE(*result, path);
    }

    // --line N, --line=N and +N in front of the file are taken out; anything else stays.
    void startLineIsTakenFromTheFront_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("line");
        QTest::addColumn<QStringList>("rest");
        QTest::newRow("--line") << QStringList{"--line", "12", "a.htm"} << 12 << QStringList{"a.htm"};
        QTest::newRow("--line=") << QStringList{"--line=3", "/p/a b.htm on"} << 3 << QStringList{"/p/a b.htm on"};
        QTest::newRow("plus") << QStringList{"+7", "a.htm"} << 7 << QStringList{"a.htm"};
        QTest::newRow("not a number") << QStringList{"--line", "x", "a.htm"} << 0 << QStringList{"a.htm"};
        QTest::newRow("after the file stays") << QStringList{"a.htm", "+7"} << 0 << QStringList{"a.htm", "+7"};
        QTest::newRow("a name like it") << QStringList{"+7 on"} << 0 << QStringList{"+7 on"};
        QTest::newRow("none") << QStringList{"a.htm"} << 0 << QStringList{"a.htm"};
    }
    void startLineIsTakenFromTheFront()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, line);
        QFETCH(QStringList, rest);
        QCOMPARE(takeStartLine(arguments), line);
        QCOMPARE(arguments, rest);
        // The editor starts with these rather than answering them as unknown options.
        QCOMPARE(int(decideStart({"--line", "4", "a.htm"}).request), int(StartRequest::Edit));
        QCOMPARE(int(decideStart({"--line"}).request), int(StartRequest::UnknownOption));
    }

    // A relative path is made absolute against the folder the editor was started in.
    void relativePathBecomesAbsolute()
    {
        QCOMPARE(withAbsolutePath("page.htm on", "/home/u"), QString("/home/u/page.htm on"));
        QCOMPARE(withAbsolutePath("./a b/x.htm on", "/"), QString("/a b/x.htm on"));
        QCOMPARE(withAbsolutePath("/tmp/x.htm on", "/home/u"), QString("/tmp/x.htm on"));
        QCOMPARE(withAbsolutePath("page.htm", "/home/u"), QString("/home/u/page.htm on"));
        QCOMPARE(withAbsolutePath("/tmp/lesson", "/home/u"), QString("/tmp/lesson on"));
        QCOMPARE(withAbsolutePath("on", "/home/u"), QString("on"));
    }

    // The program's arguments are one text again, whether the shell split the path or not.
    void wordsAreJoinedWithSingleBlanks()
    {
        QCOMPARE(joinCommandLine({"/tmp/a", "b/x.htm", "on"}), QString("/tmp/a b/x.htm on"));
        QCOMPARE(joinCommandLine({"/tmp/a b/x.htm on"}), QString("/tmp/a b/x.htm on"));
        QCOMPARE(joinCommandLine({}), QString());
    }
    // Options are answered before any window exists; the toolkit's own are passed over and
    // the editor's "PATH on" form is never read as options, whatever the path holds.
    void optionsAreDecidedBeforeTheWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("request");
        QTest::addColumn<QString>("option");
        const int edit = int(StartRequest::Edit), help = int(StartRequest::Help);
        const int version = int(StartRequest::Version), unknown = int(StartRequest::UnknownOption);
        QTest::newRow("none") << QStringList{} << edit << "";
        QTest::newRow("help") << QStringList{"--help"} << help << "";
        QTest::newRow("short help after a file") << QStringList{"/tmp/x.htm", "-h"} << help << "";
        QTest::newRow("version") << QStringList{"--version"} << version << "";
        QTest::newRow("toolkit first") << QStringList{"-platform", "offscreen", "-v"} << version << "";
        QTest::newRow("unknown") << QStringList{"--frobnicate"} << unknown << "--frobnicate";
        QTest::newRow("unknown ending in on") << QStringList{"--option"} << unknown << "--option";
        QTest::newRow("toolkit only") << QStringList{"--style=fusion", "-reverse", "-qwindowtitle", "-x"}
                                      << edit << "";
        QTest::newRow("path form") << QStringList{"/tmp/--help on"} << edit << "";
        QTest::newRow("split path form") << QStringList{"--help", "on"} << edit << "";
        QTest::newRow("lone dash") << QStringList{"-"} << edit << "";
        QTest::newRow("-- ends the options") << QStringList{"--", "-x.html"} << edit << "";
    }
    void optionsAreDecidedBeforeTheWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, request);
        QFETCH(QString, option);
        const StartDecision decision = decideStart(arguments);
        QCOMPARE(int(decision.request), request);
        QCOMPARE(decision.option, option);
    }

    // The toolkit gets only its own options before the file, never the editor's "PATH on".
    void toolkitOptionsStandBeforeTheFile()
    {
        using L = QStringList;
        auto split = [](const L& arguments) {
            const SplitArguments s = splitArguments(arguments);
            return s.toolkit.join(u'|') + u'#' + s.editor.join(u'|');
        };
        QCOMPARE(split(L{"-platform", "offscreen", "-reverse", "/a.htm on"}), QString("-platform|offscreen|-reverse#/a.htm on"));
        QCOMPARE(split(L{"-reverse on"}), QString("#-reverse on"));
        QCOMPARE(split(L{"-display", "x.htm on"}), QString("#-display|x.htm on"));
        QCOMPARE(split(L{"-stylesheet", "on"}), QString("#-stylesheet|on"));
        QCOMPARE(split(L{"/a.htm", "-reverse"}), QString("#/a.htm|-reverse"));
        QCOMPARE(split(L{"--style=fusion", "--", "-x.html"}), QString("--style=fusion#-x.html"));
    }
};

QTEST_APPLESS_MAIN(CommandLineTest)
#include "test_command_line.moc"
