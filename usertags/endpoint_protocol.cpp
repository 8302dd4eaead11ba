#include "usertags/endpoint_protocol.h"

#include <QUtf8StringView>
#include <QtEndian>

namespace endpoint {
namespace {
QByteArray frame(char kind, const QByteArray& payload)
{
    QByteArray bytes(kHeaderBytes, Qt::Uninitialized);
    bytes[0] = kind;
    qToBigEndian<quint32>(quint32(payload.size()), bytes.data() + 1);
    return bytes + payload;
}
}

QByteArray setTextFrame(const QString& text)
{
    return frame(kSetText, text.toUtf8());
}

QByteArray enterFrame()
{
    return frame(kEnter, QByteArray());
}

QByteArray insertTextFrame(const QString& text)
{
    return frame(kInsertText, text.toUtf8());
}

void FrameDecoder::feed(QByteArrayView bytes)
{
    if (m_failed)
        return;
    // Drop what was handed out already, so the buffer holds at most one frame in waiting.
    if (m_read > 0) {
        m_buffer.remove(0, m_read);
        m_read = 0;
    }
    m_buffer.append(bytes);
}

std::optional<Frame> FrameDecoder::next()
{
    if (m_failed || pending() < kHeaderBytes)
        return std::nullopt;
    const char* head = m_buffer.constData() + m_read;
    const char kind = head[0];
    const quint32 length = qFromBigEndian<quint32>(head + 1);
    if ((kind != kSetText && kind != kEnter && kind != kInsertText) || length > quint32(kMaxPayload)
        || (kind == kEnter && length != 0)) {
        m_failed = true;
        return std::nullopt;
    }
    if (pending() < kHeaderBytes + qsizetype(length))
        return std::nullopt;
    const QByteArrayView payload(head + kHeaderBytes, qsizetype(length));
    m_read += kHeaderBytes + qsizetype(length);
    if (!QUtf8StringView(payload).isValidUtf8()) {
        m_failed = true;
        return std::nullopt;
    }
    return Frame{kind, QString::fromUtf8(payload)};
}

}
