#include "app/opened_file.h"

#include "text/file_read.h"

#include <future>

namespace {
// Pages from this size are read in parts, on both cores, and never held whole twice over.
constexpr qsizetype kReadInPartsFrom = 4 << 20;

struct Ahead {
    QString path;
    std::future<OpenedFile> opened;
};

Ahead& ahead()
{
    static Ahead a;
    return a;
}
}

OpenedFile openFile(const QString& path, std::optional<TextEncoding> encoding, bool inParts)
{
    OpenedFile opened;
    opened.stamp = DiskStamp::of(path);
    FileRead bytes = readWholeFile(path);
    if (!bytes)
        return opened;
    opened.read = true;
    opened.asRead = OriginalFile::of(path, *bytes);
    if (inParts && !encoding && bytes->size() >= kReadInPartsFrom) {
        opened.taker = std::make_unique<TextFingerprint::Taker>();
        opened.reader = PartReader::open(*bytes, [taker = opened.taker.get()](QStringView part) { taker->add(part); });
    }
    if (!opened.reader)
        opened.decoded = decodeDocument(bytes.take(), encoding);
    return opened;
}

void openStartFileAhead(const QString& path)
{
    ahead().path = path;
    ahead().opened = std::async(std::launch::async, [path] { return openFile(path, std::nullopt, true); });
}

bool openingAhead()
{
    const Ahead& a = ahead();
    return a.opened.valid() && a.opened.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

std::optional<OpenedFile> takeOpenedAhead(const QString& path)
{
    Ahead& a = ahead();
    if (!a.opened.valid())
        return std::nullopt;
    OpenedFile opened = a.opened.get();
    const bool same = a.path == path;
    a.path.clear();
    if (!same)
        return std::nullopt;
    return opened;
}
