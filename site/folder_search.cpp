#include "site/folder_search.h"

#include "site/line_hits.h"
#include "site/reading_memory.h"
#include "site/workers.h"
#include "text/encoding_guess.h"
#include "text/file_read.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QScopeGuard>

#include <condition_variable>
#include <map>
#include <mutex>

namespace {
constexpr qsizetype kLineShown = 240; // characters of a long line shown around its hit

bool inside(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
}
}

const QString& defaultNamePatterns()
{
    static const QString patterns = QStringLiteral("*.htm;*.html;*.shtml;*.php;*.css;*.js;*.txt");
    return patterns;
}

QStringList splitNamePatterns(const QString& text)
{
    static const QRegularExpression separators(QStringLiteral("[;,\\s]+"));
    return text.split(separators, Qt::SkipEmptyParts);
}

SiteFileList listSiteFiles(const SiteQuery& query)
{
    SiteFileList list;
    const QString root = QFileInfo(query.folder).canonicalFilePath();
    if (root.isEmpty())
        return list;
    QDirIterator it(root, query.namePatterns.isEmpty() ? QStringList{QStringLiteral("*")} : query.namePatterns,
                    QDir::Files | QDir::Hidden | QDir::System,
                    query.subfolders ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    QHash<QString, bool> folderInside;
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink() && !inside(info.canonicalFilePath(), root)) {
            ++list.outside; // what a link points at outside the site is not the site's to change
            continue;
        }
        // A folder reached through a link out of the site is out of it too. Each folder is
        // resolved once, not once for each of its files.
        const QString folder = info.absolutePath();
        auto known = folderInside.constFind(folder);
        if (known == folderInside.cend())
            known = folderInside.insert(folder, inside(QFileInfo(folder).canonicalFilePath(), root));
        if (!*known) {
            ++list.outside;
            continue;
        }
        list.paths.append(path);
    }
    list.paths.sort();
    return list;
}

namespace {
// From the one stat a search makes of each file anyway (a local time is not wanted here, and
// finding one reads the zone's rules).
FileStamp stampOf(const std::optional<FileIdentity>& identity)
{
    if (!identity)
        return {};
    const qint64 ns = identity->modifiedNs;
    return {identity->size, ns / 1'000'000 - (ns % 1'000'000 < 0)};
}
}

FileStamp FileStamp::of(const QString& path)
{
    return stampOf(FileIdentity::of(path));
}

SiteFileRead readSiteFile(const QString& path, qint64 sizeLimit, QByteArray reuse)
{
    FileRead read = readWholeFile(path, ReadCap::refuseOver(sizeLimit), std::move(reuse));
    if (!read)
        return {{}, read.failure() == ReadFailure::TooLarge ? SiteSkip::TooLarge : SiteSkip::Unreadable, {}, {}};
    QByteArray bytes = read.take();
    const SiteSkip kind = textKindOf(bytes);
    return {kind == SiteSkip::None ? std::move(bytes) : QByteArray(), kind, read.opened(), read.read()};
}

LineHit shownHit(QStringView line, int number, TextMatch m)
{
    // A long line is shown around its hit, not whole.
    const qsizetype shownStart = qMax(qsizetype(0), m.start - kLineShown / 2);
    const qsizetype shownEnd = qMin(line.size(), qMax(m.end(), shownStart + kLineShown));
    return {number, m.start - shownStart, qMin(m.length, shownEnd - m.start),
            line.sliced(shownStart, shownEnd - shownStart).toString()};
}

void collectHits(QStringView text, const TextSearch& search, FileHits& into)
{
    const SearchRange range{0, text.size()};
    qsizetype from = 0;
    qsizetype countedTo = 0;
    int line = 1;
    while (from <= text.size()) {
        const std::optional<FoundMatch> found = search.find(text, from, SearchDirection::Forward, range);
        if (!found || found->wrapped)
            break;
        const TextMatch m = found->match;
        ++into.count;
        if (into.hits.size() < FileHits::kMaxKeptHits) {
            line = lineOfPosition(text, m.start, countedTo, line);
            countedTo = m.start;
            const qsizetype lineStart = m.start == 0 ? 0 : text.lastIndexOf(u'\n', m.start - 1) + 1;
            qsizetype lineEnd = text.indexOf(u'\n', m.start);
            if (lineEnd < 0)
                lineEnd = text.size();
            into.hits.append(shownHit(text.sliced(lineStart, lineEnd - lineStart), line,
                                      {m.start - lineStart, m.length}));
        }
        from = m.length > 0 ? m.end() : m.start + 1;
    }
}

namespace {
// Whether the file may be searched in its bytes: the text opening it reads is those bytes
// read as UTF-8, character for character. Plain ASCII reads so in every encoding but
// ISO-2022-JP (whose escapes may be declared without being used) and UTF-16.
bool readsAsUtf8(const EncodingGuess& guess)
{
    switch (guess.encoding) {
    case TextEncoding::Utf8:
        return guess.validUtf8;
    case TextEncoding::Cp932:
    case TextEncoding::EucJp:
    case TextEncoding::ShiftJis2004:
    case TextEncoding::EucJis2004:
        return guess.ascii;
    default:
        return false;
    }
}
}

namespace {
// Each worker reads every file into the room the file before it left.
thread_local QByteArray room;
}

FileHits searchSiteFile(const QString& path, const TextSearch& search, qint64 sizeLimit,
                        const std::optional<QString>& shownText)
{
    FileHits hits;
    hits.path = path;
    const LineHitFinder finder(search);
    if (shownText) {
        hits.stamp = FileStamp::of(path);
        if (finder.usable())
            finder.collect(*shownText, hits);
        else
            collectHits(*shownText, search, hits);
        return hits;
    }
    SiteFileRead read = readSiteFile(path, sizeLimit, std::move(room));
    const auto giveBack = qScopeGuard([&read] { room = std::move(read.bytes); });
    if (read.skipped != SiteSkip::None) {
        hits.stamp = FileStamp::of(path);
        hits.skipped = read.skipped;
        return hits;
    }
    hits.stamp = stampOf(read.opened);
    std::optional<FileReading> known = readingmemory::recall(path, *read.opened);
    if (!known) {
        known = FileReading{guessEncodingOf(read.bytes)};
        known->byTable = readsAsGuessedByTable(read.bytes, known->guess);
        readingmemory::keep(path, *read.opened, *read.read, *known);
    }
    const EncodingGuess guess = known->guess;
    if (finder.usable() && readsAsUtf8(guess)) {
        hits.encoding = guess.encoding;
        finder.collectUtf8(read.bytes, hits);
        return hits;
    }
    // A Shift_JIS or EUC-JP page that reads so alone is searched in its bytes as well.
    if (finder.usable() && known->byTable && finder.collectEncoded(read.bytes, guess.encoding, hits)) {
        hits.encoding = guess.encoding;
        return hits;
    }
    if (finder.usable()) {
        // Searched as decoded, its breaks as they are.
        const DecodedText decoded = decodeText(read.bytes, guess);
        read.bytes = QByteArray();
        hits.encoding = decoded.encoding;
        finder.collect(decoded.text, hits);
        return hits;
    }
    const SiteText site = siteTextOf(read.bytes);
    read.bytes = QByteArray();
    hits.encoding = site.encoding;
    collectHits(site.text, search, hits);
    return hits;
}

int searchSite(const SiteFileList& files, const TextSearch& search, const SiteQuery& query,
               const std::optional<ShownPage>& shown, const std::atomic<bool>& stop,
               const std::function<void(FileHits&&)>& onFile, int workers)
{
    // Workers take files in turn; the results are handed on in the order of the paths, each
    // as soon as every one before it is done, so the list grows from the top.
    std::mutex lock;
    std::map<qsizetype, FileHits> ready;
    qsizetype nextToTake = 0;
    qsizetype nextToHand = 0;
    bool handing = false;
    const qsizetype total = files.paths.size();
    const auto work = [&] {
        for (;;) {
            qsizetype index;
            {
                std::lock_guard guard(lock);
                if (stop.load() || nextToTake >= total)
                    return;
                index = nextToTake++;
            }
            const QString& path = files.paths[index];
            std::optional<QString> shownText;
            if (shown && path == shown->path)
                shownText = shown->lfText;
            FileHits hits = searchSiteFile(path, search, query.sizeLimit, shownText);
            std::unique_lock guard(lock);
            ready.emplace(index, std::move(hits));
            if (handing)
                continue; // the worker handing on takes this one too
            handing = true;
            while (!ready.empty() && ready.begin()->first == nextToHand) {
                FileHits next = std::move(ready.begin()->second);
                ready.erase(ready.begin());
                ++nextToHand;
                guard.unlock();
                onFile(std::move(next));
                guard.lock();
            }
            handing = false;
        }
    };
    runOnWorkers(workers, work);
    room = QByteArray(); // the other workers' went with their threads
    // A worker may have left results for the one that was handing on.
    while (!ready.empty() && ready.begin()->first == nextToHand && !stop.load()) {
        onFile(std::move(ready.begin()->second));
        ready.erase(ready.begin());
        ++nextToHand;
    }
    return int(nextToHand);
}

QString skipReasonText(SiteSkip reason)
{
    switch (reason) {
    case SiteSkip::NotText:
        return QStringLiteral("テキストではありません");
    case SiteSkip::TooLarge:
        return QStringLiteral("大きすぎます");
    case SiteSkip::Unreadable:
        return QStringLiteral("読めません");
    case SiteSkip::OutsideFolder:
        return QStringLiteral("フォルダの外へのリンクです");
    case SiteSkip::None:
        break;
    }
    return {};
}
