#include "colour/colour_model.h"
#include "colour/colour_names.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class ColourModelTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void componentCodes_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("hex");
        QTest::newRow("0") << 0 << "00";
        QTest::newRow("15") << 15 << "0F";
        QTest::newRow("16") << 16 << "10";
        QTest::newRow("255") << 255 << "FF";
        // Never more or fewer than two digits, even for a value that slipped out of range.
        QTest::newRow("below") << -1 << "00";
        QTest::newRow("above") << 256 << "FF";
    }
    void componentCodes()
    {
        QFETCH(int, value);
        QFETCH(QString, hex);
        QCOMPARE(twoDigitHex(value), hex);
        QCOMPARE(bareColourCode({value, 0, 255}), "#" + hex + "00FF");
        QCOMPARE(quotedColourCode({0, value, 0}), "\"#00" + hex + "00\"");
    }

    void colourNameListLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("list");
        QTest::newRow("empty") << QByteArray() << "";
        QTest::newRow("crlf") << QByteArray("red\r\nblue\r\n") << "red\r\nblue\r\n";
        QTest::newRow("last line open") << QByteArray("red\r\nblue") << "red\r\nblue\r\n";
        QTest::newRow("lone cr") << QByteArray("red\rblue\r") << "red\r\nblue\r\n";
        QTest::newRow("lf") << QByteArray("red\nblue") << "red\r\nblue\r\n";
        QTest::newRow("cp932") << QByteArray("\x90\xd4 red") << QString::fromUtf8("赤 red\r\n");
        QTest::newRow("utf-8 bom") << QByteArray("\xef\xbb\xbf\xe8\xb5\xa4") << QString::fromUtf8("赤\r\n");
    }
    void colourNameListLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, list);
        QTemporaryDir dir;
        QFile f(dir.filePath("hcnn.otf"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        QCOMPARE(readColourNameList(f.fileName()), std::optional<QString>(list));
        // Neither a missing file nor a folder by that name reads as a list.
        QCOMPARE(readColourNameList(dir.filePath("none.otf")), std::nullopt);
        QCOMPARE(readColourNameList(dir.path()), std::nullopt);
    }

    void shippedListIsWellFormed()
    {
        const std::optional<QString> list = readColourNameList(VORNIK_SOURCE_DIR "/data/hcnn.otf");
        QVERIFY(list);
        // Every entry: a lower-case name, its code and a Japanese name, aligned in columns.
        static const QRegularExpression entry("^([a-z]+) +(#[0-9A-F]{6})  \\S");
        QHash<QString, QString> codes;
        int codeColumn = -1;
        for (const QString& line : list->split("\r\n")) {
            const QRegularExpressionMatch m = entry.match(line);
            if (!m.hasMatch())
                continue;
            if (codeColumn < 0)
                codeColumn = m.capturedStart(2);
            QCOMPARE(m.capturedStart(2), codeColumn);
            // A name listed twice always has the same code.
            QCOMPARE(codes.value(m.captured(1), m.captured(2)), m.captured(2));
            codes.insert(m.captured(1), m.captured(2));
        }
        QCOMPARE(codes.value("rebeccapurple"), QString("#663399"));
        // The palette's colours are the ones the list gives for its names.
        for (const PaletteEntry& e : palette()) {
            for (const QString& name : QString(e.name).split(" or "))
                QCOMPARE(codes.value(name), bareColourCode(e.colour));
        }
    }
};

QTEST_APPLESS_MAIN(ColourModelTest)
#include "test_colour_model.moc"
