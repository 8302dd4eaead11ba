#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// How text files are decoded and encoded. Every reader of the program (documents,
// templates, tag.ini, hcnn.otf) and every writer goes through here.
enum class TextEncoding {
    Utf8,
    Utf8Bom,
    Cp932, // Microsoft's Shift_JIS, as Japanese Windows writes it
};

struct DecodedText {
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
    // Bytes that were valid in neither encoding; they are shown as U+FFFD and cannot be
    // written back as they were.
    bool undecodable = false;
};

// UTF-8 when the bytes are valid UTF-8 (a BOM is taken off and remembered), CP932 otherwise.
// Bytes that are plain ASCII take the charset that their own text declares.
DecodedText decodeText(QByteArrayView bytes);

// The charset named by a <meta charset>, a Content-Type meta or an XML declaration.
std::optional<TextEncoding> declaredEncoding(QByteArrayView bytes);

enum class Unencodable {
    Report,              // leave such characters out and count them: the caller must ask
    CharacterReferences, // write them as &#xHEX; so the page still shows them
};

struct EncodedText {
    QByteArray bytes;
    int unencodableCount = 0;
    int firstUnencodableLine = 0; // 1-based; 0 when every character was written
};

EncodedText encodeText(QStringView text, TextEncoding encoding,
                       Unencodable policy = Unencodable::Report);

// The two directions of CP932 alone, through glibc's converter.
QString decodeCp932(QByteArrayView bytes, bool* undecodable = nullptr);

QString encodingName(TextEncoding encoding);
