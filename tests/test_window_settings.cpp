#include "app/window_settings.h"

#include <QTest>

namespace {
const QRect kScreen(0, 0, 1280, 1024);
const QRect kCurrent(4, 28, 620, 430);
}

class WindowSettingsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Top, left, height, width; a missing or unreadable line leaves that value as it is.
    void linesSetTheirValue_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QRect>("placed");
        QTest::newRow("four lines") << QByteArray("10\r\n20\r\n300\r\n400\r\n") << QRect(20, 10, 400, 300);
        QTest::newRow("two lines") << QByteArray("10\r\n20\r\n") << QRect(20, 10, 620, 430);
        QTest::newRow("blanks, fraction, garbage") << QByteArray("  100  \n\t50.5\nabc\n\n") << QRect(51, 100, 620, 430);
        QTest::newRow("lf, no final line end") << QByteArray("1\n2\n300\n400") << QRect(2, 1, 400, 300);
    }
    void linesSetTheirValue()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QRect, placed);
        QCOMPARE(placeWindow(kCurrent, parseWindowSettings(bytes), {kScreen}), placed);
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
        QTest::newRow("larger than the screen") << QByteArray("10\r\n20\r\n40000\r\n40000\r\n");
        QTest::newRow("wider, at the right") << QByteArray("0\r\n1000\r\n500\r\n3000\r\n");
    }
    void garbageNeverGivesAnUnseenWindow()
    {
        QFETCH(QByteArray, bytes);
        const QRect r = placeWindow(kCurrent, parseWindowSettings(bytes), {kScreen});
        QVERIFY2(r.width() >= 100 && r.height() >= 100, qPrintable(QString("%1x%2").arg(r.width()).arg(r.height())));
        // Each of these fits the screen whole.
        QVERIFY2(kScreen.contains(r), qPrintable(QString("%1,%2 %3x%4").arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height())));
    }

    void writerUsesPlainDecimals()
    {
        QCOMPARE(formatWindowSettings(QRect(-8, -8, 1296, 1040)), QByteArray("-8\r\n-8\r\n1040\r\n1296\r\n"));
        QCOMPARE(formatSettingNumber(12.5f), QByteArray("12.5"));
        QCOMPARE(formatSettingNumber(-3.25f), QByteArray("-3.25"));
        QCOMPARE(formatSettingNumber(1234567.0f), QByteArray("1234567"));
        // What the writer writes, the reader reads back.
        const QRect r(33, 44, 555, 666);
        QCOMPARE(placeWindow(QRect(), parseWindowSettings(formatWindowSettings(r)), {kScreen}), r);
    }
};

QTEST_APPLESS_MAIN(WindowSettingsTest)
#include "test_window_settings.moc"
