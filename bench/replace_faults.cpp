// すべて置換 across a folder under faults: killed at random moments, and with a failure
// injected into every write step. After each, every page must hold its old bytes or its
// fully replaced ones, and 元に戻す must then give every page its old bytes back. Prints the
// counts; exits 1 when any page was lost or could not be put back.
//
//   build/bench/replace_faults [kills]

#include "own_folders.h"
#include "site/folder_replace.h"
#include "site/replace_undo.h"
#include "text/file_read.h"
#include "text/text_encoding.h"
#include "text/write_steps.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr int kPages = 40;

struct Site {
    QString folder;
    QList<QByteArray> old;
    QList<QByteArray> replaced;
    QList<FileHits> files;
};

QByteArray contents(const QString& path)
{
    const FileRead bytes = readWholeFile(path);
    return bytes ? *bytes : QByteArray("<missing>");
}

// Pages in UTF-8 and Shift_JIS, each with its old bytes and the bytes a whole replace gives.
Site makeSite(const QString& folder)
{
    Site site{folder, {}, {}, {}};
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    for (int n = 0; n < kPages; ++n) {
        QString text;
        for (int line = 0; line < 2000 + n * 50; ++line)
            text += QStringLiteral("<p>%1 行目: 株式会社ヴォルニクの案内</p>\r\n").arg(line);
        const TextEncoding encoding = n % 2 ? TextEncoding::Cp932 : TextEncoding::Utf8;
        site.old.append(encodeText(text, encoding).bytes);
        site.replaced.append(encodeText(text.replace(QStringLiteral("株式会社"), QStringLiteral("有限会社")), encoding).bytes);
        const QString path = folder + QStringLiteral("/page%1.htm").arg(n);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(site.old.last());
        site.files.append(FileHits{path, encoding, SiteSkip::None, FileStamp::of(path), 0, {}});
    }
    return site;
}

struct Tally {
    int runs = 0;
    int oldWhole = 0;
    int newWhole = 0;
    int lost = 0;
    int notPutBack = 0;
};

void judge(const Site& site, const QString& store, Tally& tally)
{
    ++tally.runs;
    for (int n = 0; n < kPages; ++n) {
        const QByteArray now = contents(site.files[n].path);
        if (now == site.old[n])
            ++tally.oldWhole;
        else if (now == site.replaced[n])
            ++tally.newWhole;
        else
            ++tally.lost;
    }
    ReplaceUndoStore(store).undo();
    for (int n = 0; n < kPages; ++n)
        if (contents(site.files[n].path) != site.old[n])
            ++tally.notPutBack;
}

TextSearch replacing()
{
    TextSearch search(QStringLiteral("株式会社"), {});
    search.setReplacement(QStringLiteral("有限会社"));
    return search;
}

void replaceAll(const Site& site, const QString& store, int workers)
{
    ReplaceUndoStore undo(store);
    undo.startSet();
    std::atomic<bool> stop = false;
    replaceInSite(site.files, replacing(), qint64(64) << 20, undo, stop, {}, workers);
}

void print(const char* what, const Tally& t)
{
    std::printf("%-28s %4d runs: pages old %5d, replaced %5d, lost %d; not put back by 元に戻す %d\n", what, t.runs,
                t.oldWhole, t.newWhole, t.lost, t.notPutBack);
}
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    OwnFolders own;
    const int killCount = argc > 1 ? QByteArray(argv[1]).toInt() : 100;
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("site"));
    const QString store = dir.filePath(QStringLiteral("undo"));

    Site site = makeSite(folder);
    QElapsedTimer timer;
    timer.start();
    replaceAll(site, store, 8);
    const qint64 span = qMax<qint64>(1, timer.elapsed()) * 12 / 10;

    Tally killed;
    for (int i = 0; i < killCount; ++i) {
        site = makeSite(folder);
        const pid_t child = fork();
        if (child == 0) {
            replaceAll(site, store, 8);
            _exit(0);
        }
        ::usleep(useconds_t(QRandomGenerator::global()->bounded(span * 1000)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        judge(site, store, killed);
    }

    Tally injected;
    for (int step = int(WriteStep::Create); step <= int(WriteStep::Backup); ++step) {
        site = makeSite(folder);
        failWriteStepForTesting(WriteStep(step), EIO, 1);
        replaceAll(site, store, 1);
        failWriteStepForTesting(WriteStep(step), EIO, 0);
        judge(site, store, injected);
    }
    print("killed at random", killed);
    print("a write step failing", injected);
    return killed.lost + killed.notPutBack + injected.lost + injected.notPutBack == 0 ? 0 : 1;
}
