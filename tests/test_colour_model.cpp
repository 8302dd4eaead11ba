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
        QTest::newRow("10") << 10 << "0A";
        QTest::newRow("15") << 15 << "0F";
        QTest::newRow("16") << 16 << "10";
        QTest::newRow("165") << 165 << "A5";
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
    }

    void bareAndQuotedCodes()
    {
        QCOMPARE(bareColourCode({138, 43, 226}), QString("#8A2BE2"));
        QCOMPARE(quotedColourCode({138, 43, 226}), QString("\"#8A2BE2\""));
        QCOMPARE(bareColourCode({}), QString("#000000"));
        QCOMPARE(quotedColourCode({255, 255, 255}).size(), 9);
    }

    void paletteTable()
    {
        const auto& p = palette();
        for (int i = 0; i < kPaletteSize; ++i)
            QCOMPARE(QString(p[i].button), QString("P%1").arg(i + 1));
        // Where a colour has two names, the tip and the written name join them differently.
        QCOMPARE(QString(p[4].tip), QString("cyan/aqua"));
        QCOMPARE(QString(p[4].name), QString("cyan or aqua"));
        QCOMPARE(QString(p[5].tip), QString("fuchsia/magenta"));
        QCOMPARE(QString(p[5].name), QString("fuchsia or magenta"));
        for (int i : {0, 1, 2, 3, 6, 7, 8, 9})
            QCOMPARE(QString(p[i].tip), QString(p[i].name));
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
        QTest::newRow("blank line") << QByteArray("\r\n") << "\r\n";
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
    }

    void unreadableColourNameList()
    {
        QTemporaryDir dir;
        QCOMPARE(readColourNameList(dir.filePath("hcnn.otf")), std::nullopt);
        QCOMPARE(readColourNameList(dir.path()), std::nullopt); // a folder by that name
        QVERIFY(missingColourNameListText().endsWith("\r\n"));
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
        QCOMPARE(codes.size(), 148);
        QCOMPARE(codes.value("blueviolet"), QString("#8A2BE2"));
        QCOMPARE(codes.value("rebeccapurple"), QString("#663399"));
        for (const PaletteEntry& e : palette()) {
            for (const QString& name : QString(e.name).split(" or "))
                QCOMPARE(codes.value(name), bareColourCode(e.colour));
        }
    }
};

QTEST_APPLESS_MAIN(ColourModelTest)
#include "test_colour_model.moc"
