#include "app/window_settings.h"

#include <QTest>

class WindowSettingsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsFourLinesInOrder()
    {
        const WindowSettings s = parseWindowSettings("10\r\n20\r\n300\r\n400\r\n");
        QCOMPARE(*s.top, 10.0);
        QCOMPARE(*s.left, 20.0);
        QCOMPARE(*s.height, 300.0);
        QCOMPARE(*s.width, 400.0);
        const QRect r = placeWindow(QRect(4, 28, 620, 430), s, {QRect(0, 0, 1280, 1024)});
        QCOMPARE(r, QRect(20, 10, 400, 300));
    }

    void missingAndBadLinesLeaveTheirValue()
    {
        const WindowSettings two = parseWindowSettings("10\r\n20\r\n");
        QVERIFY(two.top && two.left && !two.height && !two.width);
        QCOMPARE(placeWindow(QRect(4, 28, 620, 430), two, {QRect(0, 0, 1280, 1024)}), QRect(20, 10, 620, 430));

        const WindowSettings blanks = parseWindowSettings("  100  \n\t50.5\nabc\n\n");
        QCOMPARE(*blanks.top, 100.0);
        QCOMPARE(*blanks.left, 50.5);
        QVERIFY(!blanks.height);
        QVERIFY(!blanks.width);

        const WindowSettings lf = parseWindowSettings("1\n2\n3\n4");
        QCOMPARE(*lf.width, 4.0);
    }

    void garbageNeverGivesAnUnseenWindow_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe\r\n\x01\x02", 7);
        QTest::newRow("nan") << QByteArray("nan\r\nnan\r\ninf\r\n-inf\r\n");
        QTest::newRow("huge") << QByteArray("1e300\r\n-1e300\r\n99999999999\r\n99999999999\r\n");
        QTest::newRow("negative size") << QByteArray("10\r\n10\r\n-300\r\n-400\r\n");
        QTest::newRow("tiny") << QByteArray("10\r\n10\r\n5\r\n5\r\n");
        QTest::newRow("far away") << QByteArray("-5000\r\n90000\r\n300\r\n400\r\n");
        QTest::newRow("title above the screen") << QByteArray("-200\r\n10\r\n300\r\n400\r\n");
    }
    void garbageNeverGivesAnUnseenWindow()
    {
        QFETCH(QByteArray, bytes);
        const QRect screen(0, 0, 1280, 1024);
        const QRect r = placeWindow(QRect(4, 28, 620, 430), parseWindowSettings(bytes), {screen});
        QVERIFY2(r.width() >= 100 && r.height() >= 100, qPrintable(QString("%1x%2").arg(r.width()).arg(r.height())));
        // The title bar strip is on the screen.
        QVERIFY(screen.contains(QPoint(r.left() + qMin(20, r.width() / 2), r.top() + 5))
                || screen.intersects(QRect(r.left(), r.top(), r.width(), 40)));
        QVERIFY(r.top() >= screen.top());
    }

    void writerUsesPlainDecimals()
    {
        QCOMPARE(formatWindowSettings(QRect(20, 10, 400, 300)), QByteArray("10\r\n20\r\n300\r\n400\r\n"));
        QCOMPARE(formatWindowSettings(QRect(-8, -8, 1296, 1040)), QByteArray("-8\r\n-8\r\n1040\r\n1296\r\n"));
        QCOMPARE(formatSettingNumber(0.0f), QByteArray("0"));
        QCOMPARE(formatSettingNumber(12.5f), QByteArray("12.5"));
        QCOMPARE(formatSettingNumber(-3.25f), QByteArray("-3.25"));
        QCOMPARE(formatSettingNumber(1234567.0f), QByteArray("1234567"));
        // What the writer writes, the reader reads back.
        const QRect r(33, 44, 555, 666);
        const WindowSettings back = parseWindowSettings(formatWindowSettings(r));
        QCOMPARE(placeWindow(QRect(), back, {QRect(0, 0, 1280, 1024)}), r);
    }
};

QTEST_APPLESS_MAIN(WindowSettingsTest)
#include "test_window_settings.moc"
