#include "tags/template_list.h"

#include <QTest>

namespace {
QStringList elementCaptions(const TemplateTable& table)
{
    QStringList captions;
    for (qsizetype i = 0; i < table.elementCount(); ++i)
        captions << table.caption(i);
    return captions;
}

QStringList rowFiles(const TemplateTable& table)
{
    QStringList files;
    for (qsizetype i = 0; i < table.rowCount(); ++i)
        files << table.fileName(i);
    return files;
}
}

class TemplateListTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void entries_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QStringList>("captions"); // one per menu element
        QTest::addColumn<QStringList>("files");    // one per row: one more than elements

        QTest::newRow("empty line between") << "a,a.txt\r\n\r\nb,b.txt\r\n"
                                            << QStringList{"a", "b"} << QStringList{"a.txt", "b.txt", ""};
        QTest::newRow("line of spaces counts") << "   \r\na,a.txt"
                                               << QStringList{"a", ""} << QStringList{"a.txt", "", ""};
        QTest::newRow("no comma counts, makes no entry") << "plain\r\nb,b.txt"
                                                         << QStringList{"b", ""} << QStringList{"b.txt", "", ""};
        // Each comma makes an entry: the second pushes the next line's entry up a row.
        QTest::newRow("two commas") << "x,y,z\r\nb,b.txt"
                                    << QStringList{"x", "x,y"} << QStringList{"y,z", "z", "b.txt"};
        QTest::newRow("nothing trimmed") << " a , b \r\n"
                                         << QStringList{" a "} << QStringList{" b ", ""};
        QTest::newRow("LF, CR and CR LF end lines") << "a,1\nb,2\rc,3\r\nd,4"
                                                    << QStringList{"a", "b", "c", "d"}
                                                    << QStringList{"1", "2", "3", "4", ""};
        QTest::newRow("only commas") << ",,,,"
                                     << QStringList{""} << QStringList{",,,", ",,"};
        QTest::newRow("empty caption and file") << ",\r\n"
                                                << QStringList{""} << QStringList{"", ""};
        QTest::newRow("Japanese caption") << "表のページ,表.html\r\n"
                                          << QStringList{"表のページ"} << QStringList{"表.html", ""};
        // Without a line there are no rows at all, not even the spare one.
        QTest::newRow("empty") << "" << QStringList{} << QStringList{};
        QTest::newRow("line ends only") << "\r\n\r\n\n\r" << QStringList{} << QStringList{};
    }
    void entries()
    {
        QFETCH(QString, list);
        QFETCH(QStringList, captions);
        QFETCH(QStringList, files);
        const TemplateTable table = TemplateTable::parse(list);
        QCOMPARE(elementCaptions(table), captions);
        QCOMPARE(rowFiles(table), files);
    }

    // Lines are read whole, however long; the menu's elements are bounded and entries past
    // the last row are dropped.
    void sizesAreBounded()
    {
        const QString caption(100000, u'c');
        const QString file = QString(70000, u'f') + ".html";
        const TemplateTable longLine = TemplateTable::parse(caption + "," + file + "\r\nb,b.txt");
        QCOMPARE(elementCaptions(longLine), QStringList({caption, "b"}));
        QCOMPARE(longLine.fileName(0), file);

        constexpr qsizetype last = TemplateTable::kMaxElements;
        QVERIFY(last <= 32768); // the family's indices are 16-bit
        QString many;
        for (int i = 0; i < 40000; ++i)
            many += QString("t%1,f%1\n").arg(i);
        const TemplateTable table = TemplateTable::parse(many);
        QCOMPARE(table.elementCount(), last);
        QCOMPARE(table.rowCount(), last + 1);
        QCOMPARE(table.caption(last - 1), QString("t%1").arg(last - 1));
        QCOMPARE(table.fileName(last), QString("f%1").arg(last));
        QVERIFY(table.caption(last + 1).isEmpty());
        QVERIFY(table.caption(-1).isEmpty() && table.fileName(-1).isEmpty());

        // One line of a million commas above many short lines: each row is a prefix and a
        // suffix of that one line.
        const QString commas(1000000, u',');
        const TemplateTable wide = TemplateTable::parse(commas + "\n" + many);
        QCOMPARE(wide.rowCount(), last + 1);
        QCOMPARE(wide.caption(last).size(), last);
        QCOMPARE(wide.fileName(last).size(), 1000000 - last - 1);
    }

    void insertionTextEndsEveryLine_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("inserted");
        QTest::newRow("empty file") << "" << "";
        QTest::newRow("last line without end") << "a\r\nb" << "a\r\nb\r\n";
        QTest::newRow("last line ended") << "a\r\nb\r\n" << "a\r\nb\r\n";
        QTest::newRow("one empty line") << "\r\n" << "\r\n";
        QTest::newRow("trailing empty line kept") << "a\r\n\r\n" << "a\r\n\r\n";
        QTest::newRow("LF file") << "a\nb\n" << "a\r\nb\r\n";
        QTest::newRow("lone CR") << "a\rb" << "a\r\nb\r\n";
    }
    void insertionTextEndsEveryLine()
    {
        QFETCH(QString, file);
        QFETCH(QString, inserted);
        QCOMPARE(templateInsertionText(file), inserted);
    }
};

QTEST_APPLESS_MAIN(TemplateListTest)
#include "test_template_list.moc"
