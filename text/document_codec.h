#pragma once

#include "text/line_ends.h"
#include "text/text_encoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// A document's bytes and the text the box shows, both ways: the encoding and the line ends
// are found on reading and kept for writing back.

// What was read, ready for the document box.
struct LoadedDocument {
    QString text; // CR LF between lines
    TextEncoding encoding = TextEncoding::Utf8;
    LineEnding lineEnding = LineEnding::CrLf;
    bool undecodable = false;
    QString foreignEncoding; // see DecodedText
    ByteForms forms;         // see DecodedText
};
LoadedDocument decodeDocument(QByteArrayView bytes);
// The same, letting go of the bytes as soon as they are decoded (a large page is held in
// three forms otherwise); in `encoding` when one is given.
LoadedDocument decodeDocument(QByteArray&& bytes, std::optional<TextEncoding> encoding = std::nullopt);

// The bytes of a CR LF document as its file holds them: its own line ends, its encoding.
EncodedText encodeDocument(const QString& crlfText, TextEncoding encoding, LineEnding ending,
                           Unencodable policy = Unencodable::Report, const ByteForms& forms = {});

// The same bytes and report as encodeDocument of the whole text, taken a piece at a time so
// the whole text is never held beside its bytes. Each piece but the last ends after a line
// break (a character that combines with the one before it never starts a piece).
class PieceEncoder {
public:
    // `length`: the whole text's, so the bytes are set aside once and never moved as they grow.
    PieceEncoder(TextEncoding encoding, LineEnding ending, Unencodable policy, const ByteForms& forms,
                 qsizetype length = 0);
    void add(QStringView crlfPiece);
    EncodedText result();

private:
    TextEncoding m_encoding;
    LineEnding m_ending;
    Unencodable m_policy;
    const ByteForms& m_forms;
    EncodedText m_result;
    int m_lines = 0; // line breaks before the next piece
    bool m_first = true;
    QString m_whole; // an encoding with shifts is written whole
};

// Whether `bytes`, written in `encoding`, are read by the next open as that encoding reads
// them; false where they fit another encoding better (a Shift_JIS-2004 page of characters that
// CP932 reads too, a U+FEFF first without a byte-order mark).
bool readsBackAs(QByteArrayView bytes, TextEncoding encoding);
// Whether a text saved in `encoding` may be read otherwise at all: false where the bytes say
// what they are (a byte-order mark, UTF-8 that is not ASCII nor begins with U+FEFF), so the
// check above is spared.
bool mayReadOtherwise(TextEncoding encoding, const QString& crlfText);
// The same, told whether the text begins with U+FEFF and whether it holds an escape.
bool mayReadOtherwise(TextEncoding encoding, bool startsWithMark, bool holdsEscape);
// The same encoding with a byte-order mark, where it has one.
std::optional<TextEncoding> withByteOrderMark(TextEncoding encoding);
