// A site of 2,000 pages (60 MB; UTF-8, Shift_JIS and EUC-JP mixed), searched across the
// folder as the folder window searches it, timed against `grep -rc` over the UTF-8 pages in
// the same run; then すべて置換 of 10,000 hits and its 元に戻す. Prints the figures.
//
//   build/bench/bench_site [pages [search | keep]]
//
// "search" repeats only the search (for a profiler); "keep" leaves the site behind.

#include "own_folders.h"
#include "site/folder_replace.h"
#include "site/folder_search.h"
#include "site/replace_undo.h"
#include "text/text_encoding.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {
const QString kName = QStringLiteral("株式会社ヴォルニク");

// One page of about `bytes` in UTF-8, with five hits.
QString page(int n, int bytes)
{
    QString text = QStringLiteral("<!DOCTYPE html>\r\n<html lang=\"ja\">\r\n<head><title>ページ %1</title></head>\r\n<body>\r\n").arg(n);
    int line = 0;
    int names = 0;
    while (text.size() * 2 < bytes) {
        ++line;
        text += QStringLiteral("<p class=\"note\">第%1段落: 手で書いたページを、年月を経ても読める形で保ちます。"
                               "<a href=\"page%2.htm\">次へ</a> Hand-written pages kept readable.</p>\r\n")
                    .arg(line)
                    .arg(n + 1);
        if (line % 40 == 7 && names < 5) {
            text += QStringLiteral("<p>%1 について</p>\r\n").arg(kName);
            ++names;
        }
    }
    for (; names < 5; ++names)
        text += QStringLiteral("<p>%1</p>\r\n").arg(kName);
    return text + QStringLiteral("</body>\r\n</html>\r\n");
}

// Less moved by other work on the machine than the time on the clock.
double processorSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

qint64 peakKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

double grepSeconds(const QString& folder)
{
    QElapsedTimer t;
    t.start();
    QProcess grep;
    grep.start(QStringLiteral("grep"), {QStringLiteral("-rc"), kName, folder});
    grep.waitForFinished(-1);
    return t.nsecsElapsed() / 1e9;
}
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    OwnFolders own;
    const int pages = argc > 1 ? QByteArray(argv[1]).toInt() : 2000;
    QTemporaryDir dir;
    const QByteArray mode = argc > 2 ? QByteArray(argv[2]) : QByteArray();
    if (mode == "keep") {
        dir.setAutoRemove(false); // for looking at the site afterwards
        std::printf("site kept in %s\n", qPrintable(dir.path()));
    }
    const QString site = dir.filePath(QStringLiteral("site"));
    const TextEncoding encodings[] = {TextEncoding::Utf8, TextEncoding::Utf8, TextEncoding::Cp932, TextEncoding::EucJp};
    const char* folders[] = {"utf8", "utf8", "sjis", "euc"};
    qint64 total = 0;
    qint64 largest = 0;
    for (int n = 0; n < pages; ++n) {
        const int kind = n % 4;
        const QString folder = site + u'/' + QLatin1String(folders[kind]);
        QDir().mkpath(folder);
        // Sizes vary a little, as a site's pages do; 30 KB on average.
        // The first page is a large one, so the memory figure is against a page that matters.
        const int size = n == 0 ? (8 << 20) : 34000 + (n % 7) * 2000;
        const QByteArray bytes = encodeText(page(n, size), encodings[kind]).bytes;
        QFile f(folder + QStringLiteral("/page%1.htm").arg(n));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return 1;
        total += bytes.size();
        largest = qMax(largest, qint64(bytes.size()));
    }
    std::printf("site: %d pages, %.1f MB, largest page %lld bytes\n", pages, total / 1e6, largest);

    grepSeconds(site); // the caches warm for both
    const double grep = grepSeconds(site + QStringLiteral("/utf8"));

    const SiteQuery query{site, splitNamePatterns(defaultNamePatterns()), true};
    const TextSearch search(kName, {});
    std::atomic<bool> stop = false;
    const qint64 before = residentKb();
    resetPeak();
    QElapsedTimer t;
    const double cpuBefore = processorSeconds();
    t.start();
    double first = -1;
    qsizetype hits = 0;
    const SiteFileList files = listSiteFiles(query);
    searchSite(files, search, query, std::nullopt, stop, [&](FileHits&& h) {
        if (first < 0 && h.count > 0)
            first = t.nsecsElapsed() / 1e9;
        hits += h.count;
    });
    const double searchTime = t.nsecsElapsed() / 1e9;
    const double searchCpu = processorSeconds() - cpuBefore;
    const qint64 memory = (peakKb() - before) * 1024;
    std::printf("grep -rc on the UTF-8 pages: %.3f s\n", grep);
    std::printf("folder search, all pages: %.3f s (%.2f times grep), first hits after %.3f s, %lld hits\n", searchTime,
                searchTime / grep, first, qlonglong(hits));
    std::printf("processor time of the search (every thread): %.3f s\n", searchCpu);
    std::printf("memory above the start: %.1f MB (%.1f times the largest page)\n", memory / 1e6, double(memory) / largest);
    if (mode == "search") {
        // Only the search, again and again, for a profiler to look at.
        const double cpu = processorSeconds();
        t.restart();
        for (int i = 0; i < 10; ++i)
            searchSite(files, search, query, std::nullopt, stop, [](FileHits&&) {});
        std::printf("ten more searches: %.3f s each, processor %.3f s each\n", t.nsecsElapsed() / 1e10,
                    (processorSeconds() - cpu) / 10);
        return 0;
    }

    TextSearch replace(kName, {});
    replace.setReplacement(QStringLiteral("有限会社ヴォルニク"));
    ReplaceUndoStore store;
    store.startSet();
    const qint64 beforeReplace = residentKb();
    resetPeak();
    const double replaceCpuBefore = processorSeconds();
    t.restart();
    QList<FileHits> targets;
    for (const QString& path : files.paths)
        targets.append(FileHits{path, {}, SiteSkip::None, FileStamp::of(path), 0, {}});
    qsizetype replaced = 0;
    int written = 0;
    for (const FileReplaceOutcome& o : replaceInSite(targets, replace, query.sizeLimit, store, stop, {})) {
        if (o.kind == FileReplaceOutcome::Written) {
            ++written;
            replaced += o.count;
        }
    }
    const double replaceTime = t.nsecsElapsed() / 1e9;
    const qint64 replaceMemory = (peakKb() - beforeReplace) * 1024;
    std::printf("すべて置換: %lld hits in %d files in %.2f s (processor %.2f s), memory above the start %.1f MB (%.1f "
                "times the largest page)\n",
                qlonglong(replaced), written, replaceTime, processorSeconds() - replaceCpuBefore, replaceMemory / 1e6,
                double(replaceMemory) / largest);
    t.restart();
    const ReplaceUndoStore::UndoOutcome undone = store.undo();
    std::printf("元に戻す: %lld files in %.2f s\n", qlonglong(undone.restored.size()), t.nsecsElapsed() / 1e9);
    return undone.restored.size() == written && replaced == hits ? 0 : 1;
}
