#include "document/text_fingerprint.h"

TextFingerprint TextFingerprint::of(QStringView text)
{
    Taker taker;
    taker.add(text);
    return taker.result();
}

void TextFingerprint::Taker::add(QStringView part)
{
    m_hash.addData(QByteArrayView(reinterpret_cast<const char*>(part.utf16()), part.size() * qsizetype(sizeof(char16_t))));
    m_length += part.size();
}

TextFingerprint TextFingerprint::Taker::result()
{
    TextFingerprint print;
    if (m_length == 0)
        return print; // one empty text, however it was given
    print.m_length = m_length;
    print.m_digest = m_hash.result();
    return print;
}
