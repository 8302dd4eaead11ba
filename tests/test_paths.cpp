#include "app/paths.h"
#include "platform/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
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

    void fileTitleIsThePartAfterTheLastSlash()
    {
        PathParts parts;
        TakeFileTitle(parts, "/web/index.htm");
        QCOMPARE(parts.FileTitle, QString("index.htm"));
        TakeFileTitle(parts, "/web/");
        QCOMPARE(parts.FileTitle, QString());
        TakeFileTitle(parts, "plain.htm");
        QCOMPARE(parts.FileTitle, QString("plain.htm"));
        // After New empties both, the same path gives its title again.
        parts.FileTitle.clear();
        parts.TitledPath.clear();
        TakeFileTitle(parts, "plain.htm");
        QCOMPARE(parts.FileTitle, QString("plain.htm"));
    }

    // A path without a folder leaves the last folder.
    void fileFolderKeepsItsSlash()
    {
        PathParts parts;
        TakeFileFolder(parts, "/web/index.htm");
        QCOMPARE(parts.FileFolder, QString("/web/"));
        TakeFileFolder(parts, "index.htm");
        TakeFileFolder(parts, QString());
        QCOMPARE(parts.FileFolder, QString("/web/"));
        TakeFileFolder(parts, "/index.htm");
        QCOMPARE(parts.FileFolder, QString("/"));
    }
};

QTEST_GUILESS_MAIN(PathsTest)
#include "test_paths.moc"
