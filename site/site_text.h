#pragma once

#include "text/line_ends.h"
#include "text/text_change.h"
#include "text/text_encoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// One file of a site, read the way opening it reads it (the same encoding found), with its
// line breaks kept as they are, so a replace changes only what it replaces: a page with LF
// breaks among CR LF ones keeps every one of them.

enum class SiteSkip {
    None,
    NotText,       // a NUL byte in the first block, and not UTF-16
    TooLarge,      // over the size limit
    Unreadable,    // missing, no access, a read error, not a regular file
    OutsideFolder, // a link that leads out of the folder
};

struct SiteText {
    QString text; // LF between lines: positions are those of the search code
    TextEncoding encoding = TextEncoding::Utf8;
    LineEnding ending = LineEnding::CrLf; // every break, or the most common one when mixed
    QByteArray breaks;                    // each break's own form ('n', 'r', 'c'), only when mixed
    bool undecodable = false;
    QString foreignEncoding;
};

// NotText, or None when the bytes may be read as text.
SiteSkip textKindOf(QByteArrayView bytes);

SiteText siteTextOf(QByteArrayView bytes);

// The file's text after `changes` (absolute positions in `original.text`, in order) with
// every untouched break in its own form and the breaks of the new text in the file's.
QString withOwnBreaks(const SiteText& original, const TextChanges& changes);

// The file's bytes after `changes`: withOwnBreaks encoded in the file's encoding, made only
// when the file's text encodes back to `oldBytes`, so nothing but the hits changes. The text is
// taken: where the encoding allows, the page is checked a piece at a time and the new bytes
// are made from the old ones, so a large page is never held whole in a third form.
struct ReplacedBytes {
    enum Result {
        Made,
        NotAsRead,   // the text does not give back the old bytes
        Unencodable, // the new text has what the encoding cannot hold
    };
    Result result = NotAsRead;
    QByteArray bytes;
};
ReplacedBytes replacedBytes(SiteText&& site, QByteArrayView oldBytes, const TextChanges& changes);

// The 1-based line of `position` in an LF text, counted from (`fromPosition`, `fromLine`).
int lineOfPosition(QStringView lfText, qsizetype position, qsizetype fromPosition = 0, int fromLine = 1);
