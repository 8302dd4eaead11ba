#pragma once

#include "text/text_encoding.h"

#include <QByteArrayView>
#include <QString>

#include <initializer_list>
#include <optional>

// CP932 and EUC-JP read a table lookup a character, not a call through the converter. The
// tables are the converter's own answers for every character, asked once a process, so the
// text is the one the converter gives. Nothing (the caller reads through the converter) for
// other encodings and for bytes the tables do not know: an invalid or cut-off sequence, which
// the converter reads and reports in its own way.
std::optional<QString> decodeByTable(TextEncoding encoding, QByteArrayView bytes);

// What decodeByTable would find, without making the text: whether the bytes read through the
// table, and whether any of them reads as a private-use character.
struct TableScan {
    bool read = false;
    bool privateUse = false;
};
// `stopAtHighSingle`: a byte of 0x80 or more that reads alone ends the scan, unread.
TableScan scanByTable(TextEncoding encoding, QByteArrayView bytes, bool stopAtHighSingle = false);

// Whether every sequence of more than one byte the table of CP932 or EUC-JP reads is one of the
// encoding's forms, and in CP932 every byte read alone ASCII or a half-width kana: so bytes the
// table reads fit the encoding (EUC-JP's but for the C1 bytes its table reads alone).
bool tableReadsOnlyItsForms(TextEncoding encoding);

// The same walk telling also the lines of the bytes and, in CP932, the second forms they use
// (as cp932FormsUsed), so a large page is walked once before it is read.
struct TableLines {
    qsizetype breaks = 0;      // a CR LF is one
    qsizetype longestLine = 0; // in bytes
    ByteForms forms;
};
struct TableWalk {
    TableScan scan;
    TableLines lines;
};
TableWalk walkByTable(TextEncoding encoding, QByteArrayView bytes);
// The same on two cores for a large page.
TableWalk walkByTableInHalves(TextEncoding encoding, QByteArrayView bytes);

// The bytes that read as `text`, when each of its characters has exactly one sequence in the
// table; nothing when one has none or several (a page could then hold it in a form these bytes
// do not find).
std::optional<QByteArray> onlyBytesOf(TextEncoding encoding, QStringView text);

// Whether any byte sequence reads as one of `units` through the table (true where there is no
// table: nothing is known).
bool tableMayRead(TextEncoding encoding, std::initializer_list<char16_t> units);
