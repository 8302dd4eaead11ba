#pragma once

#include "text/byte_forms.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// How text files are decoded and encoded. Every reader of the program (documents,
// templates, tag.ini, hcnn.otf) and every writer goes through here.
enum class TextEncoding {
    Utf8,
    Utf8Bom,
    Cp932, // Microsoft's Shift_JIS, as Japanese Windows writes it
    EucJp, // with Microsoft's extensions, as Windows writes it too
    Iso2022Jp, // half-width katakana written as ESC ( I, as Windows writes them
    Utf16Le, // with its byte-order mark
    Utf16Be,
    ShiftJis2004, // JIS X 0213; the single bytes 0x5C and 0x7E are ASCII, as browsers read them
    EucJis2004,
    Utf16LeNoBom, // found by the pattern of its zero bytes, written back without a mark
    Utf16BeNoBom,
};

struct DecodedText {
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
    // Bytes that were not valid in the encoding; they are shown as U+FFFD and cannot be
    // written back as they were.
    bool undecodable = false;
    // The bytes look like an encoding the editor does not read (Chinese or Korean): its name
    // ("GB18030", "Big5", "EUC-KR", or a family of them); the text is then a Japanese reading
    // of them, not the page.
    QString foreignEncoding;
    // CP932: the second byte forms the page used (text/byte_forms.h), for writing them back.
    ByteForms forms;
};

// What the encoding guess (text/encoding_guess.h) found, with what it learnt on the way, so a
// reader need not check the bytes again.
struct EncodingGuess {
    TextEncoding encoding = TextEncoding::Utf8;
    bool ascii = false;     // every byte below 0x80
    bool validUtf8 = false; // the bytes are valid UTF-8 (ASCII is)
    // The scan of the guessed encoding's table (text/table_decode.h), when the guess made it:
    // whether every byte read, and whether any as a private-use character.
    bool tableScanned = false;
    bool tableRead = false;
    bool tablePrivateUse = false;
    // The charset the page declares (text/declared_charset.h), when the guess looked for it.
    bool declaredKnown = false;
    std::optional<TextEncoding> declared;
};

// UTF-8 with nothing taken off (a U+FEFF at the start is the text's own); a stray byte
// becomes U+FFFD.
QString decodeUtf8Text(QByteArrayView bytes);

// Whether decodeText(bytes, guess) reads the bytes once, in the guessed encoding, through its
// table (text/table_decode.h), with nothing undecodable: a search can then look in the bytes.
bool readsAsGuessedByTable(QByteArrayView bytes, const EncodingGuess& guess);
// The same where the table's scan (text/table_decode.h) found every byte read, and whether any
// private-use character.
bool readsAsGuessedAlone(QByteArrayView bytes, TextEncoding guessed, bool privateUse);

// In the encoding that guessEncoding (text/encoding_guess.h) finds; a byte-order mark is
// taken off and remembered.
DecodedText decodeText(QByteArrayView bytes);
// The same, when the guess was made already.
DecodedText decodeText(QByteArrayView bytes, const EncodingGuess& guess);
// In the given encoding, whatever the bytes look like (a byte-order mark of that encoding
// is taken off).
DecodedText decodeText(QByteArrayView bytes, TextEncoding encoding);

enum class Unencodable {
    Report,              // leave such characters out and count them: the caller must ask
    CharacterReferences, // write them as &#xHEX; so the page still shows them
};

struct EncodedText {
    QByteArray bytes;
    int unencodableCount = 0; // characters, each written as a reference or left out
    int firstUnencodableLine = 0; // 1-based; 0 when every character was written
};

// A lone surrogate is unencodable in every encoding. In CP932, `forms` are put back.
EncodedText encodeText(QStringView text, TextEncoding encoding,
                       Unencodable policy = Unencodable::Report, const ByteForms& forms = {});

// Whether a save in `encoding` writes `c` so that it reads back as itself: the same check as
// encodeText's, for one character (a converter is run each time: callers ask once a character).
bool encodingHolds(TextEncoding encoding, char32_t c);

// CP932 alone, through glibc's converter.
QString decodeCp932(QByteArrayView bytes, bool* undecodable = nullptr);

// The name the user sees: "UTF-8", "Shift_JIS", "EUC-JP" ...
QString encodingName(TextEncoding encoding);
// Every encoding, in the order they are offered.
const QList<TextEncoding>& allTextEncodings();
