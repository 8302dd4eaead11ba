#include "site/folder_replace.h"

#include "site/replace_undo.h"
#include "site/workers.h"
#include "text/file_write.h"

#include <QSet>

#include <mutex>

TextChanges replaceAllChanges(QStringView lfText, const TextSearch& search, qsizetype* count)
{
    ReplacedStretch stretch = search.replaceAll(lfText, {0, lfText.size()});
    *count = stretch.count;
    for (TextChange& change : stretch.changes)
        change.start += stretch.start;
    return std::move(stretch.changes);
}

std::optional<QString> firstUnencodable(const TextChanges& changes, TextEncoding encoding)
{
    // Each distinct character is asked once: the converter runs for every question.
    QSet<char32_t> asked;
    for (const TextChange& change : changes) {
        for (const char32_t c : change.text.toUcs4()) {
            if (c < 0x80 || asked.contains(c))
                continue;
            asked.insert(c);
            if (!encodingHolds(encoding, c))
                return QString::fromUcs4(&c, 1);
        }
    }
    return std::nullopt;
}

FileReplaceOutcome replaceInSiteFile(const QString& path, const TextSearch& search, const FileStamp& searched,
                                     qint64 sizeLimit, ReplaceUndoStore& store)
{
    FileReplaceOutcome outcome;
    outcome.path = path;
    const FileStamp now = FileStamp::of(path);
    outcome.searchedAgain = !(now == searched);
    SiteFileRead read = readSiteFile(path, sizeLimit);
    if (read.skipped != SiteSkip::None) {
        outcome.kind = FileReplaceOutcome::Skipped;
        outcome.skipped = read.skipped;
        return outcome;
    }
    SiteText site = siteTextOf(read.bytes);
    // The hits are found again in the bytes that are written over: whatever the file holds now.
    const TextChanges changes = replaceAllChanges(site.text, search, &outcome.count);
    if (outcome.count == 0)
        return outcome;
    if (site.undecodable || !site.foreignEncoding.isEmpty()) {
        outcome.kind = FileReplaceOutcome::NotAsRead;
        return outcome;
    }
    if (const std::optional<QString> c = firstUnencodable(changes, site.encoding)) {
        outcome.kind = FileReplaceOutcome::Unencodable;
        outcome.detail = *c;
        return outcome;
    }
    // Nothing but the hits may change: a text that does not encode back to its own bytes
    // (a character with two byte forms, say) is left alone.
    const ReplacedBytes encoded = replacedBytes(std::move(site), read.bytes, changes);
    if (encoded.result != ReplacedBytes::Made) {
        outcome.kind = encoded.result == ReplacedBytes::Unencodable ? FileReplaceOutcome::Unencodable
                                                                    : FileReplaceOutcome::NotAsRead;
        return outcome;
    }
    if (!store.keep(path, read.bytes, encoded.bytes)) {
        outcome.kind = FileReplaceOutcome::NotKept;
        return outcome;
    }
    const WriteOutcome written = writeWholeFileOutcome(path, encoded.bytes);
    switch (written.result) {
    case WriteOutcome::Result::Written:
    case WriteOutcome::Result::NotDurable:
        outcome.kind = FileReplaceOutcome::Written;
        break;
    case WriteOutcome::Result::Failed:
        outcome.kind = FileReplaceOutcome::Failed;
        break;
    case WriteOutcome::Result::Damaged:
        outcome.kind = FileReplaceOutcome::Damaged;
        outcome.detail = written.backup;
        break;
    }
    return outcome;
}

QList<FileReplaceOutcome> replaceInSite(const QList<FileHits>& files, const TextSearch& search, qint64 sizeLimit,
                                        ReplaceUndoStore& store, const std::atomic<bool>& stop,
                                        const std::function<void(const FileReplaceOutcome&)>& onOutcome, int workers)
{
    QList<FileReplaceOutcome> outcomes(files.size());
    QList<bool> done(files.size(), false);
    std::mutex lock;
    std::atomic<qsizetype> next = 0;
    const auto work = [&] {
        for (qsizetype i = next++; i < files.size() && !stop.load(); i = next++) {
            FileReplaceOutcome outcome = replaceInSiteFile(files[i].path, search, files[i].stamp, sizeLimit, store);
            std::lock_guard guard(lock);
            outcomes[i] = std::move(outcome);
            done[i] = true;
            if (onOutcome)
                onOutcome(outcomes[i]);
        }
    };
    runOnWorkers(workers, work);
    // A stop leaves the files not taken out of the list.
    QList<FileReplaceOutcome> taken;
    for (qsizetype i = 0; i < files.size(); ++i)
        if (done[i])
            taken.append(std::move(outcomes[i]));
    return taken;
}

QString replaceOutcomeText(const FileReplaceOutcome& o)
{
    switch (o.kind) {
    case FileReplaceOutcome::Written:
        return QStringLiteral("%1 件を置換しました").arg(o.count);
    case FileReplaceOutcome::NoHits:
        return QStringLiteral("見つかりません");
    case FileReplaceOutcome::Unencodable:
        return o.detail.isEmpty() ? QStringLiteral("文字コードで表せない文字があるため、書き込みませんでした")
                                  : QStringLiteral("「%1」をこの文字コードで表せないため、書き込みませんでした").arg(o.detail);
    case FileReplaceOutcome::NotAsRead:
        return QStringLiteral("読み込んだとおりに書き戻せないバイトがあるため、書き込みませんでした");
    case FileReplaceOutcome::Skipped:
        return skipReasonText(o.skipped);
    case FileReplaceOutcome::NotKept:
        return QStringLiteral("元に戻すための控えを作れないため、書き込みませんでした");
    case FileReplaceOutcome::Failed:
        return QStringLiteral("書き込みに失敗しました (元のままです)");
    case FileReplaceOutcome::Damaged:
        return QStringLiteral("書き込みに失敗しました。元の内容は %1 にあります").arg(o.detail);
    }
    return {};
}
