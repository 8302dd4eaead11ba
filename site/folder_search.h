#pragma once

#include "search/text_search.h"
#include "site/site_text.h"
#include "text/file_read.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>

// Finding a text in every page of a folder, each page read as opening it reads it. Pure
// logic: the window runs it on a thread of its own.

struct SiteQuery {
    QString folder;
    QStringList namePatterns; // "*.htm" ...
    bool subfolders = true;
    qint64 sizeLimit = qint64(64) << 20;
};

const QString& defaultNamePatterns();
// "*.htm;*.html" (blanks and commas separate too) as a list; empty parts are dropped.
QStringList splitNamePatterns(const QString& text);

struct SiteFileList {
    QStringList paths; // absolute, sorted
    int outside = 0;   // links out of the folder, passed over
};
SiteFileList listSiteFiles(const SiteQuery& query);

// What a file was when it was read, to tell a later change.
struct FileStamp {
    qint64 size = -1;
    qint64 modifiedMs = 0;
    bool operator==(const FileStamp&) const = default;
    static FileStamp of(const QString& path);
};

struct LineHit {
    int line = 0;          // from 1
    qsizetype column = 0;  // where the hit starts in `lineText`
    qsizetype length = 0;
    QString lineText;      // the line, cut around the hit when long
};

struct FileHits {
    QString path;
    TextEncoding encoding = TextEncoding::Utf8;
    SiteSkip skipped = SiteSkip::None;
    FileStamp stamp;
    qsizetype count = 0;   // every hit, also those not kept in `hits`
    QList<LineHit> hits;   // at most kMaxKeptHits
    static constexpr int kMaxKeptHits = 1000;
};

// A file's bytes read for the search: whole, within the limit, as text.
struct SiteFileRead {
    QByteArray bytes;
    SiteSkip skipped = SiteSkip::None;
    std::optional<FileIdentity> opened; // the file as it was when opened, and once read
    std::optional<FileIdentity> read;
};
SiteFileRead readSiteFile(const QString& path, qint64 sizeLimit, QByteArray reuse = {});

// The hits in one file. `shownText` (LF breaks) stands for the file when it is the page the
// window shows: its unsaved edits count.
FileHits searchSiteFile(const QString& path, const TextSearch& search, qint64 sizeLimit,
                        const std::optional<QString>& shownText = std::nullopt);
// The hits in an LF text.
void collectHits(QStringView lfText, const TextSearch& search, FileHits& into);
// A hit as the list shows it: `match` in `line` (a long line cut around it).
LineHit shownHit(QStringView line, int number, TextMatch match);

// Every file of the folder, in the order of their paths, on `workers` threads; `onFile`
// is called for each file in that order (on one of the worker threads, never two at once).
// Stops early when `stop` is set. Returns the number of files looked at.
struct ShownPage {
    QString path;
    QString lfText;
};
int searchSite(const SiteFileList& files, const TextSearch& search, const SiteQuery& query,
               const std::optional<ShownPage>& shown, const std::atomic<bool>& stop,
               const std::function<void(FileHits&&)>& onFile, int workers = 2);

// The short Japanese words for a skipped file.
QString skipReasonText(SiteSkip reason);
