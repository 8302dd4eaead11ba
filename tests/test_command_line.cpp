#include "app/command_line.h"

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
        QTest::newRow("no ending") << "/tmp/x.htm" << false << "";
        QTest::newRow("empty") << "" << false << "";
        QTest::newRow("capitals do not count") << "/tmp/x.htm ON" << false << "";
        // A name that itself ends in the letters loses its last three characters.
        QTest::newRow("lesson") << "/tmp/lesson" << true << "/tmp/les";
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

    // A relative path is made absolute against the folder the editor was started in.
    void relativePathBecomesAbsolute()
    {
        QCOMPARE(withAbsolutePath("page.htm on", "/home/u"), QString("/home/u/page.htm on"));
        QCOMPARE(withAbsolutePath("./a b/x.htm on", "/"), QString("/a b/x.htm on"));
        QCOMPARE(withAbsolutePath("/tmp/x.htm on", "/home/u"), QString("/tmp/x.htm on"));
        QCOMPARE(withAbsolutePath("page.htm", "/home/u"), QString("page.htm"));
        QCOMPARE(withAbsolutePath("on", "/home/u"), QString("on"));
    }

    // The program's arguments are one text again, whether the shell split the path or not.
    void wordsAreJoinedWithSingleBlanks()
    {
        QCOMPARE(joinCommandLine({"/tmp/a", "b/x.htm", "on"}), QString("/tmp/a b/x.htm on"));
        QCOMPARE(joinCommandLine({"/tmp/a b/x.htm on"}), QString("/tmp/a b/x.htm on"));
        QCOMPARE(joinCommandLine({}), QString());
    }
};

QTEST_APPLESS_MAIN(CommandLineTest)
#include "test_command_line.moc"
