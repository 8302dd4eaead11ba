#include "app/document_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

std::optional<QByteArray> readWholeFile(const QString& path)
{
    // Only regular files: a FIFO or a device would block or never end.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // One buffer of the file's size: readAll() grows its buffer as it goes and keeps the
    // spare room, which on a large page is tens of megabytes.
    const qint64 size = file.size();
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    qint64 done = 0;
    while (done < size) {
        const qint64 got = file.read(bytes.data() + done, size - done);
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break; // the file shrank while we read it
        done += got;
    }
    bytes.truncate(qsizetype(done));
    // A file that grew while we read it: take the rest too.
    const QByteArray rest = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    bytes += rest;
    return bytes;
}

bool writeWholeFile(const QString& path, QByteArrayView bytes)
{
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // On a full disk a write can come back short without an error, and commit() can report
    // success after its own final flush failed: check each step and give up on any doubt.
    constexpr qsizetype kChunk = 4 << 20;
    for (qsizetype done = 0; done < bytes.size();) {
        const qsizetype part = qMin(kChunk, bytes.size() - done);
        const qint64 written = file.write(bytes.data() + done, part);
        if (written != part) {
            file.cancelWriting();
            return false;
        }
        done += part;
    }
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

namespace {
// Every line break is already CR LF (or there is none): the text can be kept as it is.
bool breaksAreCrLf(QStringView text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\n')
            return false;
        if (c == u'\r') {
            if (i + 1 == n || text[i + 1] != u'\n')
                return false;
            ++i;
        }
    }
    return true;
}

LoadedDocument fromDecoded(DecodedText decoded)
{
    LoadedDocument doc;
    doc.encoding = decoded.encoding;
    doc.undecodable = decoded.undecodable;
    if (breaksAreCrLf(decoded.text)) {
        doc.text = std::move(decoded.text);
        return doc;
    }
    NormalisedText normalised = normaliseLineEnds(decoded.text);
    decoded.text = QString(); // the largest buffer goes before the next is made
    doc.text = std::move(normalised.text);
    doc.lineEnding = normalised.ending;
    return doc;
}
}

LoadedDocument decodeDocument(QByteArrayView bytes)
{
    return fromDecoded(decodeText(bytes));
}

LoadedDocument decodeDocument(QByteArray&& bytes)
{
    DecodedText decoded = decodeText(bytes);
    bytes = QByteArray();
    return fromDecoded(std::move(decoded));
}

EncodedText encodeDocument(const QString& crlfText, TextEncoding encoding, LineEnding ending,
                           Unencodable policy)
{
    if (ending == LineEnding::CrLf)
        return encodeText(crlfText, encoding, policy);
    return encodeText(withLineEnding(crlfText, ending), encoding, policy);
}
