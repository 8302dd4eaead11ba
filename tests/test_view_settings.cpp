#include "settings/view_settings.h"
#include "text/file_write.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class ViewSettingsTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_config;
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path() + QStringLiteral("/config")));
    }

    void readsDefaultsWhereTheFileCannotBeRead()
    {
        const ViewSettings defaults;
        QVERIFY(!QFile::exists(viewSettingsPath()));
        QCOMPARE(readViewSettings(), defaults); // missing, folder and all
        QVERIFY(QDir().mkpath(QFileInfo(viewSettingsPath()).path()));
        const QList<QByteArray> unreadable = {
            "", QByteArray(300, '\0'), "\xff\xfe\x00garbage=\x01\n", "colour=yes\nwrap=2\nline-numbers\n=1\n",
            QByteArray(100000, 'x') + "\nwrap=1\n"};
        for (const QByteArray& bytes : unreadable) {
            QVERIFY(writeWholeFile(viewSettingsPath(), bytes));
            QCOMPARE(readViewSettings(), defaults);
        }
        QVERIFY(QFile::remove(viewSettingsPath()));
        QVERIFY(QDir().mkdir(viewSettingsPath())); // a folder where the file should be
        QCOMPARE(readViewSettings(), defaults);
        QVERIFY(!writeViewSettings(defaults));
        QVERIFY(QDir().rmdir(viewSettingsPath()));
    }

    void roundTrip()
    {
        QDir(m_config.path()).removeRecursively();
        ViewSettings changed;
        changed.colour = false;
        changed.lineNumbers = changed.showBlanks = changed.wrap = true;
        changed.keepIndentation = false;
        QVERIFY(writeViewSettings(changed));
        QCOMPARE(readViewSettings(), changed);
        QVERIFY(viewSettingsPath().endsWith(QStringLiteral("/config/vornikedit/view.ini")));
        // Lines it does not know, other line ends and blanks do not disturb the ones it knows.
        QCOMPARE(parseViewSettings("future=1\r\n wrap = 1 \r\nkeep-indentation=0"),
                 (ViewSettings{.wrap = true, .keepIndentation = false}));
    }

    // The file is never written through a link (a session of another user would overwrite
    // what it points to), nor into a folder that is a link or open to others.
    void linksAreNotFollowed()
    {
        QDir(m_config.path()).removeRecursively();
        QVERIFY(writeViewSettings({}));
        const QString target = m_config.path() + QStringLiteral("/target");
        QVERIFY(QFile::remove(viewSettingsPath()));
        QVERIFY(QFile(target).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(target, viewSettingsPath()));
        QVERIFY(writeViewSettings({}));
        QCOMPARE(QFileInfo(target).size(), 0);
        QVERIFY(!QFileInfo(viewSettingsPath()).isSymLink());
        QCOMPARE(QFileInfo(viewSettingsPath()).permissions() & 0x0077, QFileDevice::Permissions());

        const QString folder = QFileInfo(viewSettingsPath()).path();
        QVERIFY(QDir(folder).removeRecursively() && QDir().mkdir(target + ".d"));
        QVERIFY(QFile::link(target + ".d", folder));
        QVERIFY(!writeViewSettings({}));
        QVERIFY(QDir(target + ".d").isEmpty());
    }
};

QTEST_GUILESS_MAIN(ViewSettingsTest)
#include "test_view_settings.moc"
