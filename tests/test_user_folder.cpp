#include "ui/application.h"
#include "app/main_window.h"
#include "platform/optional_files.h"
#include "window_test_support.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {
void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Makes the program folder unwritable, as an installed one is. Root writes anywhere, so
// there the program is told instead.
void makeReadOnly(const QString& folder)
{
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (QFileInfo(folder).isWritable())
        platform::setProgramFolderWritableForTesting(false);
}
}

class UserFolderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { m_folder = std::make_unique<TestProgramFolder>(); }
    void cleanup()
    {
        QFile::setPermissions(m_folder->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        platform::setProgramFolderWritableForTesting(std::nullopt);
        m_folder.reset();
    }

    void theUsersCopyIsReadAndWrittenFirst()
    {
        QVERIFY(!userFolder().startsWith(m_folder->path()));
        // Neither copy: the program folder's name, for the reader to find missing.
        QCOMPARE(optionalFilePath("tag.ini"), m_folder->file("tag.ini"));
        QDir(m_folder->path()).mkdir("template");
        m_folder->write("template/a.htm", "a");
        m_folder->write("template/temp1.ini", "shared\r\n");
        writeFile(userFolder() + "template/temp1.ini", "own\r\n");
        QCOMPARE(optionalFilePath("template/temp1.ini"), userFolder() + "template/temp1.ini");
        // Each file on its own: a template the user does not have comes from the program.
        QCOMPARE(optionalFilePath("template/a.htm"), m_folder->file("template/a.htm"));

        // Once the user has a copy, it is the one written, even where the program folder
        // could take it, since it is the one read.
        QCOMPARE(writableFilePath("vornik!.ini"), m_folder->file("vornik!.ini"));
        writeFile(userFolder() + "vornik!.ini", "1\r\n");
        QCOMPARE(writableFilePath("vornik!.ini"), userFolder() + "vornik!.ini");
    }

    void windowPositionIsKeptWhereTheProgramFolderIsReadOnly()
    {
        // A settings file shipped with the program is read, but never written.
        m_folder->write("vornik!.ini", "10\r\n20\r\n300\r\n400\r\n");
        makeReadOnly(m_folder->path());
        QRect closedAt;
        {
            HtmlE w;
            w.startUp(QString());
            QCOMPARE(w.frameGeometry(), QRect(20, 10, 400, 300));
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            w.move(60, 50);
            QTRY_COMPARE(w.frameGeometry().topLeft(), QPoint(60, 50));
            closedAt = w.frameGeometry();
            QVERIFY(w.close());
        }
        QCOMPARE(m_folder->read("vornik!.ini"), QByteArray("10\r\n20\r\n300\r\n400\r\n"));
        const QString own = userFolder() + "vornik!.ini";
        QCOMPARE(readFile(own), QString("%1\r\n%2\r\n%3\r\n%4\r\n")
                                    .arg(closedAt.top()).arg(closedAt.left())
                                    .arg(closedAt.height()).arg(closedAt.width()).toLatin1());

        // The next start takes the position from the user's copy.
        HtmlE again;
        again.startUp(QString());
        QCOMPARE(again.settingsFilePath(), own);
        QCOMPARE(again.frameGeometry().topLeft(), closedAt.topLeft());
    }

private:
    std::unique_ptr<TestProgramFolder> m_folder;
};

VORNIK_WINDOW_TEST_MAIN(UserFolderTest)
#include "test_user_folder.moc"
