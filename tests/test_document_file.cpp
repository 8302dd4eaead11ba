#include "text/file_read.h"
#include "text/file_write.h"
#include "text/twips.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Runs `write` with a file-size limit, as on a disk that fills up halfway.
bool writeWithSizeLimit(const QString& path, const QByteArray& bytes, rlim_t limit)
{
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool ok = writeWholeFile(path, bytes);
    setrlimit(RLIMIT_FSIZE, &old);
    return ok;
}
}

class DocumentFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // Past the limit the kernel would end the process; a failed write is what we test.
        std::signal(SIGXFSZ, SIG_IGN);
    }

    void readsOnlyRegularFiles()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("page.htm"), "abc");
        QFile::link(dir.filePath("page.htm"), dir.filePath("link.htm"));
        QVERIFY(mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600) == 0);
        QCOMPARE(readWholeFile(dir.filePath("page.htm")).value_or("-"), QByteArray("abc"));
        QCOMPARE(readWholeFile(dir.filePath("link.htm")).value_or("-"), QByteArray("abc"));
        // A FIFO would block the editor for ever.
        for (const QString& bad : {dir.filePath("missing.htm"), dir.path(), QString(), dir.filePath("fifo")})
            QVERIFY2(!readWholeFile(bad), qPrintable(bad));
        QCOMPARE(readWholeFile(dir.filePath("missing.htm")).failure(), ReadFailure::Missing);
        QCOMPARE(readWholeFile(dir.filePath("fifo")).failure(), ReadFailure::NotAFile);
    }

    // Readers with a cap either refuse a larger file or take its start only.
    void aCapRefusesOrCuts()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("list.ini"), "0123456789");
        const QString path = dir.filePath("list.ini");
        QCOMPARE(readWholeFile(path, ReadCap::refuseOver(10)).value_or("-"), QByteArray("0123456789"));
        QCOMPARE(readWholeFile(path, ReadCap::refuseOver(9)).failure(), ReadFailure::TooLarge);
        QCOMPARE(readWholeFile(path, ReadCap::firstBytes(4)).value_or("-"), QByteArray("0123"));
        QCOMPARE(readWholeFile(path, ReadCap::firstBytes(40)).value_or("-"), QByteArray("0123456789"));
    }

    // One rounding for every conversion: to the nearest pixel, halves away from zero.
    void twipsRoundToTheNearestPixel()
    {
        QCOMPARE(twipsToPixels(7), 0);
        QCOMPARE(twipsToPixels(8), 1);
        QCOMPARE(twipsToPixels(-60), -4);
        QCOMPARE(twipsToPixels(-68), -5);
        QCOMPARE(twipsToPixels(22.5), 2);
        QCOMPARE(twipsToPixels(-22.5), -2);
        QCOMPARE(pixelsToTwips(618), qint64(9270));
    }

    void aShortWriteLeavesTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("page.htm");
        const QByteArray old(1000, 'o');
        writeFile(path, old);
        // Both a write that stops inside the first buffer and one far past it.
        for (qsizetype size : {qsizetype(5000), qsizetype(9 << 20)}) {
            QVERIFY(!writeWithSizeLimit(path, QByteArray(size, 'n'), 2048));
            QCOMPARE(readFile(path), old);
        }
        // No temporary file is left behind.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"page.htm"});
        QVERIFY(writeWithSizeLimit(path, QByteArray(2000, 'n'), 2048));
        QCOMPARE(readFile(path), QByteArray(2000, 'n'));
    }

    // A folder in the way is not replaced, and no name is no file.
    void writeFailuresThatAreNotTheDisk()
    {
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("sub");
        writeFile(dir.filePath("sub/inside"), "keep");
        QVERIFY(!writeWholeFile(dir.filePath("sub"), "x"));
        QCOMPARE(readFile(dir.filePath("sub/inside")), QByteArray("keep"));
        QVERIFY(!writeWholeFile(QString(), "x"));
    }

    // A writable file in a read-only folder: the temporary file cannot be made there, so the
    // save fails and the file stays. Root passes every permission check, so the write is
    // made as an ordinary user.
    void aReadOnlyFolderFailsCleanly()
    {
        QTemporaryDir dir;
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
        const QString folder = dir.filePath("ro");
        QDir(dir.path()).mkdir("ro");
        const QString path = folder + "/page.htm";
        writeFile(path, "old");
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0666) == 0);
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);

        bool written = true;
        if (geteuid() != 0) {
            written = writeWholeFile(path, "new");
        } else {
            const pid_t child = fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                if (setgid(65534) != 0 || setuid(65534) != 0)
                    _exit(3);
                _exit(writeWholeFile(path, "new") ? 1 : 0);
            }
            int status = 0;
            waitpid(child, &status, 0);
            QVERIFY(WIFEXITED(status));
            QVERIFY2(WEXITSTATUS(status) != 3, "could not become an ordinary user");
            written = WEXITSTATUS(status) == 1;
        }
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        QVERIFY(!written);
        QCOMPARE(readFile(path), QByteArray("old"));
    }

    void theTargetKeepsItsPermissions()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("page.htm");
        writeFile(path, "old");
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0640) == 0);
        QVERIFY(writeWholeFile(path, "new"));
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0640));
        QCOMPARE(readFile(path), QByteArray("new"));

        // Through a symbolic link the file it names is replaced, the link stays a link.
        QVERIFY(QFile::link(path, dir.filePath("link.htm")));
        QVERIFY(writeWholeFile(dir.filePath("link.htm"), "via link"));
        QVERIFY(QFileInfo(dir.filePath("link.htm")).isSymLink());
        QCOMPARE(readFile(path), QByteArray("via link"));
    }
};

QTEST_APPLESS_MAIN(DocumentFileTest)
#include "test_document_file.moc"
