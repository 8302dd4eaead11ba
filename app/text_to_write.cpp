#include "app/text_to_write.h"

#include "document/document.h"
#include "text/document_codec.h"

#include <QFuture>
#include <QtConcurrent/QtConcurrentRun>

void TextToWrite::set(QString crlfText)
{
    m_own = std::move(crlfText);
}

void TextToWrite::hold()
{
    if (!m_own)
        m_own = m_document.text();
}

void TextToWrite::fromBox()
{
    m_own.reset();
}

EncodedText TextToWrite::encode(TextEncoding encoding, Unencodable policy)
{
    PieceEncoder encoder(encoding, m_document.lineEnding(), policy, m_document.byteForms(),
                         m_own ? m_own->size() : m_document.model().textLength());
    TextFingerprint::Taker taker;
    m_startsWithMark = false;
    m_holdsEscape = false;
    bool first = true;
    // Each piece is digested on the other core while it is encoded.
    QFuture<void> digesting;
    const auto take = [&](QString piece) {
        if (first)
            m_startsWithMark = piece.startsWith(QChar(0xFEFF));
        first = false;
        m_holdsEscape = m_holdsEscape || piece.contains(QChar(0x1B));
        digesting.waitForFinished();
        digesting = QtConcurrent::run([&taker, piece] { taker.add(piece); });
        encoder.add(piece);
    };
    if (m_own) {
        take(*m_own);
    } else {
        m_document.model().readLines(take);
    }
    digesting.waitForFinished();
    m_print = taker.result();
    return encoder.result();
}

bool TextToWrite::mayReadOtherwise(TextEncoding encoding) const
{
    return ::mayReadOtherwise(encoding, m_startsWithMark, m_holdsEscape);
}

QString TextToWrite::text() const
{
    return m_own ? *m_own : m_document.text();
}
