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
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
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

LoadedDocument decodeDocument(QByteArrayView bytes)
{
    LoadedDocument doc;
    DecodedText decoded = decodeText(bytes);
    doc.encoding = decoded.encoding;
    doc.undecodable = decoded.undecodable;
    NormalisedText normalised = normaliseLineEnds(decoded.text);
    decoded.text = QString(); // the largest buffer goes before the next is made
    doc.text = std::move(normalised.text);
    doc.lineEnding = normalised.ending;
    return doc;
}

EncodedText encodeDocument(const QString& crlfText, TextEncoding encoding, LineEnding ending,
                           Unencodable policy)
{
    if (ending == LineEnding::CrLf)
        return encodeText(crlfText, encoding, policy);
    return encodeText(withLineEnding(crlfText, ending), encoding, policy);
}
