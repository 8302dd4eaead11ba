#include "table/table_markup.h"

#include <QTest>

class TableMarkupTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void numericReading_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("leading blank") << " 3" << 3.0;
        QTest::newRow("trailing junk") << "3x" << 3.0;
        QTest::newRow("leading junk") << "x3" << 0.0;
        QTest::newRow("negative") << "-2" << -2.0;
        QTest::newRow("fraction") << "2.9" << 2.9;
        QTest::newRow("blank inside") << "1 2" << 12.0;
        QTest::newRow("tab and line feed inside") << "\t1\n2 " << 12.0;
        QTest::newRow("blank after sign") << "- 2" << -2.0;
        QTest::newRow("exponent") << "1e1" << 10.0;
        QTest::newRow("upper exponent, sign") << "25E-1" << 2.5;
        QTest::newRow("exponent sign only") << "2e+x" << 2.0;
        QTest::newRow("fraction only") << ".5" << 0.5;
        QTest::newRow("second point") << "1.2.3" << 1.2;
        QTest::newRow("carriage return stops") << "1\r2" << 1.0;
        QTest::newRow("full-width digit stops") << QString::fromUtf8("1２") << 1.0;
        QTest::newRow("tiny") << "1e-400" << 0.0;
    }
    void numericReading()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(readNumber(text), value);
    }

    void counts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("clamped");
        QTest::newRow("empty") << "" << 0 << false;
        QTest::newRow("fraction cut off") << "2.9" << 2 << false;
        QTest::newRow("below one") << "0.99" << 0 << false;
        QTest::newRow("negative") << "-2" << 0 << false;
        QTest::newRow("at the bound") << "1000" << 1000 << false;
        QTest::newRow("just past, cut to the bound") << "1000.9" << 1000 << false;
        QTest::newRow("past the bound") << "1001" << 1000 << true;
        QTest::newRow("infinite") << "1e999" << 1000 << true;
        QTest::newRow("minus infinite") << "-1e999" << 0 << false;
    }
    void counts()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(bool, clamped);
        const Count c = readCount(text, 1000);
        QCOMPARE(c.value, count);
        QCOMPARE(c.clamped, clamped);
    }

    // The builder's own tests cover the usual tables; these are the edges.
    void valuesGoInAsTheyStand()
    {
        TableAttributes a;
        a[1] = QString(" 5 \"x\"&");
        a[5] = QString();
        QCOMPARE(tableMarkup(a, 0, 0), QString("<table width=\" 5 \"x\"&\" align=\"\">\r\n</table>\r\n"));
    }

    void rowsAndColumnsAlone()
    {
        QCOMPARE(tableMarkup({}, 2, 0), QString("<table>\r\n<tr>\r\n<tr>\r\n</table>\r\n"));
        QCOMPARE(tableMarkup({}, 0, 5), QString("<table>\r\n</table>\r\n"));
        const QString m = tableMarkup({}, kMaxTableRows, kMaxTableColumns);
        QCOMPARE(m.count("<tr>\r\n"), kMaxTableRows);
        QCOMPARE(m.count("<td>\r\n"), kMaxTableRows * kMaxTableColumns);
        QVERIFY(!m.contains("</tr>") && !m.contains("</td>"));
        QVERIFY(m.endsWith("<td>\r\n</table>\r\n"));
    }
};

QTEST_APPLESS_MAIN(TableMarkupTest)
#include "test_table_markup.moc"
