#pragma once

#include "document/text_fingerprint.h"
#include "text/text_encoding.h"

#include <QString>

#include <optional>

class Document;

// What a save writes: the box's text, read and encoded a piece at a time so the page is never
// held whole beside its bytes, or a text of its own once a question has changed it outside the
// box. Each encode digests what it read: the baseline after the write.
class TextToWrite {
public:
    explicit TextToWrite(const Document& document) : m_document(document) {}

    // A text that is not (yet) the box's.
    void set(QString crlfText);
    // The box's text again.
    void fromBox();
    // The box's text as it is now, kept whole: before a question, which leaves the box open to
    // edits that are not to be written.
    void hold();

    EncodedText encode(TextEncoding encoding, Unencodable policy);
    // Of the text the last encode read.
    const TextFingerprint& fingerprint() const { return m_print; }
    // Whether the bytes of the last encode may be read back as another text (see
    // mayReadOtherwise): asked of the text's first character and its escapes, found as it was read.
    bool mayReadOtherwise(TextEncoding encoding) const;
    // The whole text, for the questions that rewrite it.
    QString text() const;

private:
    const Document& m_document;
    std::optional<QString> m_own;
    TextFingerprint m_print;
    bool m_startsWithMark = false;
    bool m_holdsEscape = false;
};
