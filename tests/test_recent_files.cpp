#include "recent/recent_files.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

// The list of recent files: its file format, its order, and two editors changing it at once.
class RecentFilesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void newestFirstOnceEachAtMostTen()
    {
        QStringList list;
        for (int i = 0; i < 12; ++i)
            list = withRecentFile(list, QStringLiteral("/p/%1.htm").arg(i));
        list = withRecentFile(list, "/p/5.htm");
        QCOMPARE(list.size(), kRecentFilesKept);
        QCOMPARE(list.first(), QString("/p/5.htm"));
        QCOMPARE(list.count("/p/5.htm"), 1);
        QCOMPARE(list[1], QString("/p/11.htm"));
        QVERIFY(!list.contains("/p/1.htm"));
    }

    // Any name a file can have comes back as it was; lines that are no absolute path are not.
    void formatRoundTrip()
    {
        const QStringList odd{"/a b/頁.htm", "/x/line\nbreak%0A.htm", "/cr\r.htm", "/100%.htm",
                              QFile::decodeName("/bytes\xff\xfe.htm")};
        QCOMPARE(parseRecentList(formatRecentList(odd)), odd);
        QCOMPARE(parseRecentList("relative.htm\n\n/ok.htm\n/ok.htm\n"), QStringList{"/ok.htm"});
    }

    // Two editors writing at once each keep every entry they added: the change is made to
    // the list as it stands on disk, under the lock.
    void twoWritersLoseNothing()
    {
        QTemporaryDir dir;
        const QString list = dir.filePath("recent.txt");
        constexpr int kEach = 5;
        pid_t writers[2];
        for (int w = 0; w < 2; ++w) {
            writers[w] = fork();
            if (writers[w] == 0) {
                RecentFiles files(list);
                bool all = true;
                for (int round = 0; round < 20; ++round) {
                    for (int i = 0; i < kEach; ++i) {
                        // The lock is waited for briefly: a busy list is tried again.
                        int tries = 0;
                        while (!files.add(QStringLiteral("/w%1/%2.htm").arg(w).arg(i)) && ++tries < 100) {
                        }
                        all = all && tries < 100;
                    }
                }
                _exit(all ? 0 : 1);
            }
        }
        for (pid_t writer : writers) {
            int status = 0;
            QCOMPARE(waitpid(writer, &status, 0), writer);
            QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        RecentFiles files(list);
        QCOMPARE(files.entries().size(), 2 * kEach);
        // Each writer's own entries stay in the order it added them.
        for (int w = 0; w < 2; ++w) {
            const QStringList all = files.entries();
            qsizetype last = all.size();
            for (int i = 0; i < kEach; ++i) {
                const qsizetype at = all.indexOf(QStringLiteral("/w%1/%2.htm").arg(w).arg(i));
                QVERIFY(at >= 0 && at < last);
                last = at;
            }
        }
        QVERIFY(files.remove("/w0/0.htm"));
        QVERIFY(!files.entries().contains("/w0/0.htm"));
        QVERIFY(!QFile::exists(list + ".lock"));
    }

    // Another process holding the lock never holds this one up: the change is made once the
    // lock is free, and the list shows it (or, for a dropped entry, does not) meanwhile.
    void aHeldLockIsWaitedForLater()
    {
        QTemporaryDir dir;
        const QString list = dir.filePath("recent.txt");
        QVERIFY(RecentFiles(list).add("/old.htm"));
        int ready[2];
        QVERIFY(pipe(ready) == 0);
        const pid_t holder = fork();
        if (holder == 0) {
            QLockFile lock(list + ".lock");
            const bool held = lock.tryLock(0);
            (void)!write(ready[1], "x", 1);
            usleep(1500 * 1000);
            _exit(held ? 0 : 1);
        }
        char c;
        QCOMPARE(read(ready[0], &c, 1), 1);
        QElapsedTimer took;
        took.start();
        RecentChanges changes(list);
        changes.add("/new.htm");
        changes.remove("/old.htm");
        QVERIFY(took.elapsed() < 1000);
        QVERIFY(changes.pending());
        QCOMPARE(changes.entries(), QStringList{"/new.htm"});
        int status = 0;
        QCOMPARE(waitpid(holder, &status, 0), holder);
        QCOMPARE(WEXITSTATUS(status), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!changes.pending(), 10000);
        QCOMPARE(RecentFiles(list).entries(), QStringList{"/new.htm"});
    }
};

QTEST_GUILESS_MAIN(RecentFilesTest)
#include "test_recent_files.moc"
