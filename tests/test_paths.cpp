#include "document/document.h"
#include "platform/file_exists.h"
#include "platform/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class PathsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void programFolderEndsInSlash()
    {
        QCOMPARE(ProgramFolder(), QCoreApplication::applicationDirPath() + "/");
        platform::setProgramFolderForTesting("/");
        QCOMPARE(ProgramFolder(), QString("/"));
        platform::setProgramFolderForTesting("/tmp/tools");
        QCOMPARE(ProgramFolder(), QString("/tmp/tools/"));
        platform::setProgramFolderForTesting(QString());
    }

    // Ordinary files only, also through a pattern: never a hidden file or a folder.
    void fileExistsForOrdinaryFilesOnly()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + "/";
        for (const char* name : {"page.htm", ".hidden", "readonly.txt"})
            QVERIFY(QFile(folder + name).open(QIODevice::WriteOnly));
        QFile::setPermissions(folder + "readonly.txt", QFileDevice::ReadOwner);
        QDir(folder).mkdir("sub");

        for (const char* name : {"page.htm", "readonly.txt", "*.htm", "page.?tm"})
            QVERIFY2(FileExists(folder + name), name);
        for (const char* name : {".hidden", "sub", "missing", "*.exe", ".hid*", "su*"})
            QVERIFY2(!FileExists(folder + name), name);
        QVERIFY(!FileExists(QString()));
    }

    // The title is the part after the last slash; a path without a folder leaves the last
    // folder, and so does New.
    void documentTakesTitleAndFolderFromItsPath()
    {
        Document document;
        QSignalSpy changed(&document, &Document::filePathChanged);
        document.setFilePath("/web/index.htm");
        QCOMPARE(document.FileTitle(), QString("index.htm"));
        QCOMPARE(document.FileFolder(), QString("/web/"));
        document.setFilePath("/web/");
        QCOMPARE(document.FileTitle(), QString());
        document.setFilePath("plain.htm");
        QCOMPARE(document.FileTitle(), QString("plain.htm"));
        QCOMPARE(document.FileFolder(), QString("/web/"));
        document.setFilePath("plain.htm");
        QCOMPARE(changed.count(), 3);
        document.setEncoding(TextEncoding::Cp932);
        document.clearFile();
        QCOMPARE(document.FileTitle(), QString());
        QCOMPARE(document.encoding(), TextEncoding::Utf8);
        QCOMPARE(document.FileFolder(), QString("/web/"));
        document.setFilePath("/index.htm");
        QCOMPARE(document.FileFolder(), QString("/"));
    }
};

QTEST_MAIN(PathsTest)
#include "test_paths.moc"
