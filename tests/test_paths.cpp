#include "app/paths.h"
#include "platform/program_folder.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class PathsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void programFolderEndsInSlash()
    {
        QVERIFY(ProgramFolder().endsWith('/'));
        QCOMPARE(ProgramFolder(), QCoreApplication::applicationDirPath() + "/");
        platform::setProgramFolderForTesting("/");
        QCOMPARE(ProgramFolder(), QString("/"));
        platform::setProgramFolderForTesting("/tmp/tools");
        QCOMPARE(ProgramFolder(), QString("/tmp/tools/"));
        platform::setProgramFolderForTesting(QString());
    }

    void fileExistsForOrdinaryFilesOnly()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + "/";
        auto touch = [&](const QString& name) {
            QFile f(folder + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
        };
        touch("page.htm");
        touch(".hidden");
        touch("readonly.txt");
        QFile::setPermissions(folder + "readonly.txt", QFileDevice::ReadOwner);
        QDir(folder).mkdir("sub");

        QVERIFY(FileExists(folder + "page.htm"));
        QVERIFY(FileExists(folder + "readonly.txt"));
        QVERIFY(!FileExists(folder + ".hidden"));
        QVERIFY(!FileExists(folder + "sub"));
        QVERIFY(!FileExists(folder + "missing"));
        QVERIFY(!FileExists(QString()));
        // A pattern matches any ordinary file, but never a hidden one or a folder.
        QVERIFY(FileExists(folder + "*.htm"));
        QVERIFY(FileExists(folder + "page.?tm"));
        QVERIFY(!FileExists(folder + "*.exe"));
        QVERIFY(!FileExists(folder + ".hid*"));
        QVERIFY(!FileExists(folder + "su*"));
    }

    void fileTitleIsThePartAfterTheLastSlash()
    {
        PathParts parts;
        TakeFileTitle(parts, "/web/index.htm");
        QCOMPARE(parts.FileTitle, QString("index.htm"));
        QCOMPARE(parts.TitledPath, QString("/web/index.htm"));
        TakeFileTitle(parts, "/web/");
        QCOMPARE(parts.FileTitle, QString());
        TakeFileTitle(parts, "plain.htm");
        QCOMPARE(parts.FileTitle, QString("plain.htm"));

        // Unchanged path: nothing is recomputed, even if the title was emptied meanwhile.
        parts.FileTitle = "kept";
        TakeFileTitle(parts, "plain.htm");
        QCOMPARE(parts.FileTitle, QString("kept"));
        // After New empties both, the same path is computed again.
        parts.FileTitle.clear();
        parts.TitledPath.clear();
        TakeFileTitle(parts, "plain.htm");
        QCOMPARE(parts.FileTitle, QString("plain.htm"));
    }

    void fileFolderKeepsItsSlash()
    {
        PathParts parts;
        TakeFileFolder(parts, "/web/index.htm");
        QCOMPARE(parts.FileFolder, QString("/web/"));
        TakeFileFolder(parts, "index.htm");
        QCOMPARE(parts.FileFolder, QString("/web/"));
        TakeFileFolder(parts, QString());
        QCOMPARE(parts.FileFolder, QString("/web/"));
        TakeFileFolder(parts, "/index.htm");
        QCOMPARE(parts.FileFolder, QString("/"));
    }
};

QTEST_GUILESS_MAIN(PathsTest)
#include "test_paths.moc"
