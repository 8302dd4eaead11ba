#include "text/part_decode.h"

#include "text/encoding_guess.h"
#include "text/line_breaks.h"
#include "text/table_decode.h"

#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {
// About this much a part; the first at least as much as tells a foreign page (64K characters).
constexpr qsizetype kPartBytes = 2 << 20;

struct Breaks {
    qsizetype lf = 0;
    qsizetype cr = 0;
    qsizetype all = 0;
};

// The line breaks by kind (a CR LF is one break of neither lone kind), as a page's line
// ending is found.
Breaks breaksOf(QStringView text)
{
    Breaks breaks;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = linebreak::lengthAt(text, i);
        if (length == 0)
            continue;
        ++breaks.all;
        if (length == 2)
            ++i;
        else if (text[i] == u'\n')
            ++breaks.lf;
        else
            ++breaks.cr;
    }
    return breaks;
}

// Ends of the parts: each right after a line break (a CR or LF byte is always that character
// in UTF-8, Shift_JIS and EUC-JP, so no character is cut; nor is a CR LF).
std::vector<qsizetype> partEnds(QByteArrayView bytes)
{
    std::vector<qsizetype> ends;
    const qsizetype n = bytes.size();
    qsizetype from = 0;
    while (from < n) {
        qsizetype at = std::min(n, from + kPartBytes);
        while (at < n && bytes[at] != '\n' && bytes[at] != '\r')
            ++at;
        if (at < n)
            at += bytes[at] == '\r' && at + 1 < n && bytes[at + 1] == '\n' ? 2 : 1;
        ends.push_back(at);
        from = at;
    }
    return ends;
}

// `work` for each of [0, count), on this thread and one more, each taking the next.
template <typename Work>
void onBothCores(qsizetype count, Work work)
{
    std::atomic<qsizetype> next = 0;
    const auto take = [&] {
        for (qsizetype i = next++; i < count; i = next++)
            work(i);
    };
    std::thread helper(take);
    take();
    helper.join();
}

// The pages of [from, to) that are read no more are given back to the system: a buffer
// cannot be shortened at its front, but the pages under it can go.
void letGo(QByteArray& bytes, qsizetype from, qsizetype to)
{
    static const qsizetype page = sysconf(_SC_PAGESIZE);
    const auto base = reinterpret_cast<quintptr>(bytes.data());
    const quintptr start = (base + quintptr(from) + page - 1) / page * page;
    const quintptr end = (base + quintptr(to)) / page * page;
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED);
}
}

std::optional<DecodedParts> decodeInParts(QByteArray& bytes)
{
    const EncodingGuess guess = guessEncodingOf(bytes);
    DecodedParts decoded;
    decoded.encoding = guess.encoding;
    qsizetype skip = 0;
    switch (guess.encoding) {
    case TextEncoding::Utf8Bom:
        skip = 3;
        [[fallthrough]];
    case TextEncoding::Utf8:
        decoded.undecodable = !guess.validUtf8 && !isValidUtf8(QByteArrayView(bytes).sliced(skip));
        break;
    case TextEncoding::Cp932:
    case TextEncoding::EucJp:
        break; // read in parts only as the usual page: once, in the guessed encoding (below)

    default:
        return std::nullopt;
    }
    if (!bytes.isDetached())
        return std::nullopt; // shared: its pages are not ours to give back
    const TextEncoding encoding = guess.encoding;
    const bool byTable = encoding == TextEncoding::Cp932 || encoding == TextEncoding::EucJp;
    const QByteArrayView body = QByteArrayView(bytes).sliced(skip);
    const std::vector<qsizetype> ends = partEnds(body);
    const qsizetype count = qsizetype(ends.size());
    const auto sliceOf = [&](qsizetype i) {
        const qsizetype from = i == 0 ? 0 : ends[size_t(i - 1)];
        return body.sliced(from, ends[size_t(i)] - from);
    };
    std::vector<ByteForms> forms(byTable ? ends.size() : 0);
    if (byTable) {
        // Every byte must read through the table, and the reading be the only one to weigh;
        // the forms of the second bytes are found on the way.
        std::atomic<bool> unread = false;
        std::atomic<bool> privateUse = false;
        onBothCores(count, [&](qsizetype i) {
            const TableScan scan = scanByTable(encoding, sliceOf(i));
            if (!scan.read)
                unread = true;
            if (scan.privateUse)
                privateUse = true;
            if (encoding == TextEncoding::Cp932)
                forms[size_t(i)] = cp932FormsUsed(sliceOf(i));
        });
        if (unread || !readsAsGuessedAlone(bytes, encoding, privateUse))
            return std::nullopt;
        // A page that holds a character in two second forms keeps the first it used.
        for (const ByteForms& partForms : forms) {
            for (auto form = partForms.cbegin(); form != partForms.cend(); ++form) {
                if (!decoded.forms.contains(form.key()))
                    decoded.forms.insert(form.key(), form.value());
            }
        }
    }
    decoded.parts.resize(std::max<qsizetype>(count, 1));
    QString* const parts = decoded.parts.data(); // written by both threads, a part each
    std::vector<Breaks> breaks(ends.size());
    std::atomic<bool> unreadPart = false;
    const auto read = [&](qsizetype i) {
        if (!byTable)
            return decodeUtf8Text(sliceOf(i));
        if (std::optional<QString> text = decodeByTable(encoding, sliceOf(i)))
            return *std::move(text);
        // The scan read every byte, so this does not happen; were it to, the part reads as the
        // whole page would, through the converter, and is marked so a save asks first.
        DecodedText asWhole = decodeText(sliceOf(i), encoding);
        if (asWhole.undecodable)
            unreadPart = true;
        return asWhole.text;
    };
    const auto keep = [&](qsizetype i, QString text) {
        breaks[size_t(i)] = breaksOf(text);
        if (breaks[size_t(i)].lf + breaks[size_t(i)].cr > 0)
            text = linebreak::withBreaks(text, u"\r\n");
        parts[i] = std::move(text);
        letGo(bytes, skip + (i == 0 ? 0 : ends[size_t(i - 1)]), skip + ends[size_t(i)]);
    };
    if (count > 0) {
        // A Chinese or Korean page tells itself in its first 64K characters, all in the first
        // part as read; the bytes are all still there to be looked at.
        QString first = read(0);
        decoded.foreignEncoding = foreignEncodingOf(bytes, encoding, first);
        keep(0, std::move(first));
    }
    onBothCores(count, [&](qsizetype i) {
        if (i > 0)
            keep(i, read(i));
    });

    decoded.undecodable = decoded.undecodable || unreadPart;
    Breaks all;
    for (const Breaks& b : breaks) {
        all.lf += b.lf;
        all.cr += b.cr;
        all.all += b.all;
    }
    if (all.lf == all.all && all.all > 0)
        decoded.lineEnding = LineEnding::Lf;
    else if (all.cr == all.all && all.all > 0)
        decoded.lineEnding = LineEnding::Cr;
    bytes = QByteArray();
    return decoded;
}
