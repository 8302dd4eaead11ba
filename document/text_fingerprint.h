#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>
#include <QStringView>

// What a text was, without keeping it: its length and a 256-bit digest of its UTF-16 code
// units. A whole page kept only to tell whether it changed would hold it twice; this is taken
// in parts as the text is read or written, so no copy is made for it either. Equal texts give
// equal fingerprints; for different ones to agree the digest would have to collide.
class TextFingerprint {
public:
    TextFingerprint() = default; // the empty text's
    static TextFingerprint of(QStringView text);

    qsizetype length() const { return m_length; }
    bool operator==(const TextFingerprint& other) const = default;

    // Takes the parts of one text in order.
    class Taker {
    public:
        void add(QStringView part);
        TextFingerprint result();

    private:
        QCryptographicHash m_hash{QCryptographicHash::Blake2b_256};
        qsizetype m_length = 0;
    };

private:
    qsizetype m_length = 0;
    QByteArray m_digest;
};
