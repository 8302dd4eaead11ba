// Saves under faults, counted: kills at random moments during both save paths (the replacing
// one and the in-place one), and a failure injected into every write step of both. After each,
// the file must hold the old text or the new one whole, or, where an in-place write was cut,
// the old text must be in a backup the next open offers; every failure must be reported as
// one. Prints the counts; exits 1 when any text was lost.
//
//   build/bench/save_faults [kills per path]

#include "own_folders.h"
#include "text/file_read.h"
#include "text/file_write.h"
#include "text/save_backups.h"
#include "text/write_steps.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace {
const QByteArray kOld = QByteArray(8 << 20, 'o');
const QByteArray kNew = QByteArray(9 << 20, 'n');

struct Tally {
    int runs = 0;
    int oldWhole = 0;
    int newWhole = 0;
    int backupKept = 0;
    int lost = 0;
};

QByteArray contents(const QString& path)
{
    const FileRead bytes = readWholeFile(path);
    return bytes ? *bytes : QByteArray();
}

void writePlain(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
}

// A fresh page holding the old text; with a second name the save goes in place.
QString freshPage(const QString& folder, bool inPlace)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString page = folder + QStringLiteral("/page.htm");
    writePlain(page, kOld);
    if (inPlace && ::link(QFile::encodeName(page).constData(), QFile::encodeName(folder + QStringLiteral("/other name")).constData()) != 0)
        std::perror("link");
    return page;
}

// What is on disk after a fault: the old or the new text whole, or the old one in a backup.
void judge(const QString& page, Tally& tally)
{
    ++tally.runs;
    const QByteArray now = contents(page);
    if (now == kOld)
        ++tally.oldWhole;
    else if (now == kNew)
        ++tally.newWhole;
    else {
        bool kept = false;
        for (const QString& backup : leftBackups(page))
            kept = kept || contents(backup) == kOld;
        ++(kept ? tally.backupKept : tally.lost);
    }
}

qint64 plainSaveMs(const QString& folder, bool inPlace)
{
    const QString page = freshPage(folder, inPlace);
    QElapsedTimer timer;
    timer.start();
    writeWholeFile(page, kNew);
    return qMax<qint64>(1, timer.elapsed());
}

Tally kills(const QString& folder, bool inPlace, int count)
{
    const qint64 span = plainSaveMs(folder, inPlace) * 12 / 10;
    Tally tally;
    for (int i = 0; i < count; ++i) {
        const QString page = freshPage(folder, inPlace);
        const pid_t child = fork();
        if (child == 0) {
            writeWholeFile(page, kNew);
            _exit(0);
        }
        ::usleep(useconds_t(QRandomGenerator::global()->bounded(span * 1000)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        judge(page, tally);
    }
    return tally;
}

// Every step failing, once and twice in a row (the second hits the copy back of an in-place
// write): a failure must be reported, and its file or backup must hold the old text.
Tally injected(const QString& folder, int* unreported)
{
    Tally tally;
    for (bool inPlace : {false, true}) {
        for (int step = int(WriteStep::Create); step <= int(WriteStep::Backup); ++step) {
            for (int times : {1, 2}) {
                const QString page = freshPage(folder, inPlace);
                failWriteStepForTesting(WriteStep(step), EIO, times);
                const WriteOutcome outcome = writeWholeFileOutcome(page, kNew);
                failWriteStepForTesting(WriteStep(step), EIO, 0);
                const QByteArray now = contents(page);
                const bool told = outcome.result != WriteOutcome::Result::Written || now == kNew;
                if (!told)
                    ++*unreported;
                if (outcome.result == WriteOutcome::Result::Damaged && contents(outcome.backup) != kOld)
                    ++tally.lost;
                judge(page, tally);
            }
        }
    }
    return tally;
}

void print(const char* what, const Tally& t)
{
    std::printf("%-34s %5d runs: old whole %4d, new whole %4d, old text in a backup %3d, lost %d\n", what, t.runs,
                t.oldWhole, t.newWhole, t.backupKept, t.lost);
}
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    OwnFolders own;
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 200;
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("work"));
    const Tally replacing = kills(folder, false, count);
    const Tally inPlace = kills(folder, true, count);
    int unreported = 0;
    const Tally steps = injected(folder, &unreported);
    print("killed during the replacing save", replacing);
    print("killed during the in-place save", inPlace);
    print("a failure injected in each step", steps);
    std::printf("failures not reported as failures: %d\n", unreported);
    return replacing.lost + inPlace.lost + steps.lost + unreported == 0 ? 0 : 1;
}
