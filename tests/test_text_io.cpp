#include "text/file_read.h"
#include "text/file_write.h"
#include "text/long_line_pieces.h"
#include "text/save_backups.h"
#include "platform/twips.h"
#include "text/write_steps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <grp.h>
#include <unistd.h>

namespace {
QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

struct stat statOf(const QString& path)
{
    struct stat st {};
    ::stat(native(path).constData(), &st);
    return st;
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// Root passes every permission check; an ordinary user (nobody) meets them.
bool asOrdinaryUser(const std::function<bool()>& work)
{
    if (geteuid() != 0)
        return work();
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        _exit(work() ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

// A POSIX ACL as Linux stores it: owner rw, user 65534 r, group r, mask r, others nothing.
QByteArray sampleAcl()
{
    QByteArray acl;
    auto put32 = [&acl](quint32 v) { acl.append(reinterpret_cast<const char*>(&v), 4); };
    auto entry = [&](quint16 tag, quint16 perm, quint32 id) {
        acl.append(reinterpret_cast<const char*>(&tag), 2);
        acl.append(reinterpret_cast<const char*>(&perm), 2);
        put32(id);
    };
    put32(2);
    entry(0x01, 6, quint32(-1));
    entry(0x02, 4, 65534);
    entry(0x04, 4, quint32(-1));
    entry(0x10, 4, quint32(-1));
    entry(0x20, 0, quint32(-1));
    return acl;
}
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

// Reading and writing whole files, and saving under faults.
class TextIoTest : public QObject {
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
        // A large file is read in two halves, and a cap cuts it as it cuts a small one.
        QByteArray large(9 << 20, Qt::Uninitialized);
        for (qsizetype i = 0; i < large.size(); ++i)
            large[i] = char('a' + i % 23);
        writeFile(path, large);
        QCOMPARE(readWholeFile(path).value_or("-"), large);
        QCOMPARE(readWholeFile(path, ReadCap::firstBytes(large.size() - 5)).value_or("-"), large.chopped(5));
    }

    // One rounding for every conversion: to the nearest pixel, halves away from zero.
    // A long line is cut into pieces of at most the piece length, after a tag where one ends
    // in the piece's last half, never inside a surrogate pair; shorter lines stay whole.
    void longLinesAreCutIntoPieces()
    {
        using namespace longlinepieces;
        QVERIFY(pieceStarts(QString(kLongestWholeLine, u'x')).isEmpty());
        QString line(kLongestWholeLine + 1, u'x');
        line[kPieceLength - 10] = u'>';
        line[kPieceLength / 4] = u'>'; // too early to end the second piece at
        line[2 * kPieceLength - 10] = QChar(0xD83D); // a surrogate pair across the plain cut
        line[2 * kPieceLength - 9] = QChar(0xDE00);
        const QList<qsizetype> starts = pieceStarts(line);
        QCOMPARE(starts.value(0), kPieceLength - 9);
        QCOMPARE(starts.value(1), 2 * kPieceLength - 10);
        for (qsizetype i = 1; i < starts.size(); ++i)
            QVERIFY(starts[i] > starts[i - 1] && starts[i] - starts[i - 1] <= kPieceLength);
        QVERIFY(line.size() - starts.last() <= kPieceLength);
    }

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
        // Nor is a FIFO or a device.
        const QString fifo = dir.filePath("fifo");
        QVERIFY(::mkfifo(native(fifo).constData(), 0600) == 0);
        // A reader, so that a write into the FIFO could not block the test.
        const int reader = ::open(native(fifo).constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(!writeWholeFile(fifo, "x"));
        QVERIFY(S_ISFIFO(statOf(fifo).st_mode));
        ::close(reader);
        const QString device = dir.filePath("null");
        if (::mknod(native(device).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("cannot make a device here (not root)");
        QVERIFY(!writeWholeFile(device, "x"));
        QVERIFY(S_ISCHR(statOf(device).st_mode));
        QCOMPARE(entries(dir.path()), QStringList({"fifo", "null"}));
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

    // Each step failing on its own fails the save and leaves the old text and no file of the
    // editor's behind, except a failed folder sync (the new text is in place, said as such) and
    // an in-place write whose copy back fails too (the backup stays, named, for the user).
    void everyStepIsChecked_data()
    {
        using R = WriteOutcome::Result;
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("times");
        QTest::addColumn<bool>("linked"); // a second name makes the save go in place
        QTest::addColumn<int>("result");
        QTest::newRow("write") << int(WriteStep::Write) << 1 << false << int(R::Failed);
        QTest::newRow("flush to disk") << int(WriteStep::DataSync) << 1 << false << int(R::Failed);
        QTest::newRow("rename") << int(WriteStep::Rename) << 1 << false << int(R::Failed);
        QTest::newRow("folder sync") << int(WriteStep::FolderSync) << 1 << false << int(R::NotDurable);
        QTest::newRow("in place: backup") << int(WriteStep::Backup) << 1 << true << int(R::Failed);
        QTest::newRow("in place: write") << int(WriteStep::Write) << 1 << true << int(R::Failed);
        QTest::newRow("in place: flush to disk") << int(WriteStep::DataSync) << 1 << true << int(R::Failed);
        QTest::newRow("in place: write, copy back") << int(WriteStep::Write) << 2 << true << int(R::Damaged);
    }
    void everyStepIsChecked()
    {
        using R = WriteOutcome::Result;
        QFETCH(int, step);
        QFETCH(int, times);
        QFETCH(bool, linked);
        QFETCH(int, result);
        QTemporaryDir dir;
        const QString path = dir.filePath("page.htm");
        writeFile(path, QByteArray(3000, 'o'));
        if (linked)
            QVERIFY(::link(native(path).constData(), native(dir.filePath("other.htm")).constData()) == 0);
        const QStringList before = entries(dir.path());
        failWriteStepForTesting(WriteStep(step), EIO, times);
        const WriteOutcome outcome = writeWholeFileOutcome(path, "new");
        QCOMPARE(int(outcome.result), result);
        QCOMPARE(readFile(path), R(result) == R::NotDurable ? QByteArray("new") : QByteArray(3000, 'o'));
        if (R(result) == R::Damaged) {
            QCOMPARE(readFile(outcome.backup), QByteArray(3000, 'o'));
            QCOMPARE(leftBackups(path), QStringList{outcome.backup});
        } else {
            QVERIFY(outcome.backup.isEmpty());
            QCOMPARE(entries(dir.path()), before);
        }
        // The next whole save makes the backup unneeded, and it goes.
        QVERIFY(writeWholeFile(path, "again"));
        QCOMPARE(readFile(path), QByteArray("again"));
        QCOMPARE(entries(dir.path()), before);
    }

    // Set-user-ID and set-group-ID survive a save by an owner who is not root: the kernel
    // clears them when the bytes go in, so the mode is given again after the write.
    void setIdBitsSurviveAnOrdinaryOwnersSave()
    {
        QTemporaryDir dir;
        QVERIFY(::chmod(native(dir.path()).constData(), 0777) == 0);
        const QString path = dir.filePath("tool.cgi");
        for (const mode_t mode : {mode_t(04755), mode_t(02775), mode_t(06750)}) {
            QFile::remove(path);
            writeFile(path, "old");
            if (geteuid() == 0)
                QVERIFY(::chown(native(path).constData(), 65534, 65534) == 0);
            QVERIFY(::chmod(native(path).constData(), mode) == 0);
            const ino_t inode = statOf(path).st_ino;
            QVERIFY(asOrdinaryUser([&] { return writeWholeFile(path, "new"); }));
            QCOMPARE(readFile(path), QByteArray("new"));
            QCOMPARE(statOf(path).st_mode & 07777, mode);
            QVERIFY(statOf(path).st_ino != inode); // the replacing save, not the in-place one
        }
    }

    // A member of the file's group who is not its owner may write it but not give back the
    // set-ID bits the kernel drops: the text is saved and the bits lost are named.
    void setIdBitsLostBySomeoneElseAreSaid()
    {
        if (geteuid() != 0)
            QSKIP("needs root to act as another user");
        QTemporaryDir dir;
        QVERIFY(::chmod(native(dir.path()).constData(), 0777) == 0);
        const QString path = dir.filePath("tool.cgi");
        for (const mode_t mode : {mode_t(02775), mode_t(06775), mode_t(04775)}) {
            QFile::remove(path);
            writeFile(path, "old");
            QVERIFY(::chown(native(path).constData(), 65533, 65534) == 0);
            QVERIFY(::chmod(native(path).constData(), mode) == 0);
            const pid_t child = fork();
            if (child == 0) {
                const gid_t group = 65534;
                if (setgroups(1, &group) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
                    _exit(99);
                const WriteOutcome outcome = writeWholeFileOutcome(path, "new");
                _exit(outcome.result == WriteOutcome::Result::Written ? int(outcome.lostModeBits >> 9) : 98);
            }
            int status = 0;
            QCOMPARE(waitpid(child, &status, 0), child);
            QVERIFY(WIFEXITED(status));
            if (WEXITSTATUS(status) == 99)
                QSKIP("cannot act as another user here");
            QCOMPARE(readFile(path), QByteArray("new"));
            QCOMPARE(mode_t(WEXITSTATUS(status)) << 9, mode & 06000 & ~(statOf(path).st_mode & 07777));
            QVERIFY((statOf(path).st_mode & 06000) != (mode & 06000)); // lost indeed, and said
        }
    }

    // Backups left behind are found for their file only, beside it or in the state folder,
    // and never one that a running write holds.
    void leftBackupsAreTheirFilesOnly()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("page[1].htm");
        writeFile(path, "page");
        writeFile(dir.filePath(".page[1].htm.vornikedit-backup-AbC123"), "old");
        writeFile(dir.filePath(".page[1].htm.vornikedit-backup-Held00"), "in use");
        writeFile(dir.filePath(".page[1].htm.vornikedit-backup-toolong"), "not ours");
        writeFile(dir.filePath(".other.htm.vornikedit-backup-AbC123"), "another file's");
        const QByteArray oldState = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_STATE_HOME", native(dir.filePath("state")));
        const QByteArray inState = backupPrefix(native(path), false) + "XyZ789";
        writeFile(QFile::decodeName(inState), "old too");
        backupPrefix(native(dir.filePath("elsewhere/page[1].htm")), false);
        const int held = ::open(native(dir.filePath(".page[1].htm.vornikedit-backup-Held00")).constData(), O_RDONLY);
        QVERIFY(::flock(held, LOCK_EX) == 0);
        QStringList found = leftBackups(path);
        found.sort();
        QCOMPARE(found, QStringList({dir.filePath(".page[1].htm.vornikedit-backup-AbC123"), QFile::decodeName(inState)}));
        QVERIFY(leftBackups(dir.filePath("elsewhere/page[1].htm")).isEmpty());
        removeLeftBackups(path);
        QVERIFY(leftBackups(path).isEmpty());
        ::close(held);
        QCOMPARE(leftBackups(path), QStringList{dir.filePath(".page[1].htm.vornikedit-backup-Held00")});
        qputenv("XDG_STATE_HOME", oldState);
    }

    // Hard links, owner and group, every mode bit, extended attributes and ACLs.
    void savingKeepsWhatTheFileIs()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("page.htm");
        const QString other = dir.filePath("other name.htm");
        writeFile(path, "old");
        QVERIFY(::link(native(path).constData(), native(other).constData()) == 0);
        QVERIFY(writeWholeFile(path, "linked"));
        QCOMPARE(readFile(other), QByteArray("linked"));
        QCOMPARE(statOf(other).st_ino, statOf(path).st_ino);
        QFile::remove(other);

        const bool root = geteuid() == 0;
        if (root)
            QVERIFY(::chown(native(path).constData(), 65534, 65534) == 0);
        QVERIFY(::chmod(native(path).constData(), 07751) == 0);
        const bool userAttributes = ::setxattr(native(path).constData(), "user.vornik", "kept", 4, 0) == 0;
        const QByteArray acl = sampleAcl();
        const bool acls = ::setxattr(native(path).constData(), "system.posix_acl_access", acl.constData(),
                                     size_t(acl.size()), 0) == 0;
        const struct stat before = statOf(path);
        QVERIFY(writeWholeFile(path, "kept"));
        const struct stat after = statOf(path);
        QCOMPARE(readFile(path), QByteArray("kept"));
        QCOMPARE(after.st_mode & 07777, before.st_mode & 07777);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);
        char value[64] = {};
        if (userAttributes)
            QCOMPARE(QByteArray(value, int(::getxattr(native(path).constData(), "user.vornik", value, 64))), "kept");
        if (acls) {
            const ssize_t n = ::getxattr(native(path).constData(), "system.posix_acl_access", value, 64);
            QCOMPARE(QByteArray(value, int(n)), acl);
        }
        if (!root || !userAttributes || !acls)
            QSKIP("owner, user attributes or ACLs not checked here (not root, or not on this filesystem)");
    }

    // A writable file in a folder that cannot be written is written in place; its backup
    // goes to the user's state folder and away again.
    void aWritableFileInALockedFolderSaves()
    {
        QTemporaryDir dir;
        QVERIFY(::chmod(native(dir.path()).constData(), 0777) == 0);
        const QString folder = dir.filePath("locked");
        const QString state = dir.filePath("state");
        QVERIFY(QDir(dir.path()).mkdir("locked") && QDir(dir.path()).mkdir("state"));
        QVERIFY(::chmod(native(state).constData(), 0777) == 0);
        const QString path = folder + "/page.htm";
        writeFile(path, "old");
        QVERIFY(::chmod(native(path).constData(), 0666) == 0);
        QVERIFY(::chmod(native(folder).constData(), 0555) == 0);
        qputenv("XDG_STATE_HOME", native(state));
        const bool written = asOrdinaryUser([&] { return writeWholeFile(path, "new"); });
        ::chmod(native(folder).constData(), 0755);
        QVERIFY(written);
        QCOMPARE(readFile(path), QByteArray("new"));
        QCOMPARE(entries(folder), QStringList{"page.htm"});
        QCOMPARE(entries(state + "/vornikedit/backups"), QStringList());
    }

    // A temporary file that a killed save left is the editor's by its name, and the next save
    // of that file removes it; other files stay.
    void aKilledSavesTemporaryFileGoes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("page.htm");
        writeFile(path, "old");
        writeFile(dir.filePath(".page.htm.vornikedit-save-AbC123"), "half");
        writeFile(dir.filePath(".page.htm.vornikedit-save-mine"), "someone's");
        writeFile(dir.filePath(".other.htm.vornikedit-save-AbC123"), "another file's");
        QVERIFY(writeWholeFile(path, "new"));
        QCOMPARE(entries(dir.path()), QStringList({".other.htm.vornikedit-save-AbC123",
                                                   ".page.htm.vornikedit-save-mine", "page.htm"}));
    }
};

QTEST_APPLESS_MAIN(TextIoTest)
#include "test_text_io.moc"
