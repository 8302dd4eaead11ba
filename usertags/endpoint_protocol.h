#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The wire format of the receiving endpoint. A client sends frames; each frame is one kind
// byte, the payload's length as four bytes (big-endian) and the payload. After each frame
// the editor answers one byte: kAccepted, or kRejected before it closes the connection.
namespace endpoint {

constexpr char kSetText = 'T'; // payload: the pending text, UTF-8
constexpr char kEnter = 'E';   // payload: none; inserts the pending text
// payload: a text, UTF-8, inserted at once. One frame, so no other sender can come between
// setting and inserting; the pending text stays as it was.
constexpr char kInsertText = 'I';
constexpr char kAccepted = 'K';
constexpr char kRejected = 'X';
constexpr qsizetype kHeaderBytes = 5;
constexpr qsizetype kMaxPayload = 1024 * 1024;

QByteArray setTextFrame(const QString& text);
QByteArray enterFrame();
QByteArray insertTextFrame(const QString& text);

struct Frame {
    char kind = 0;
    QString text;
};

// Takes the bytes of one connection as they arrive and hands out whole frames. Once a
// malformed frame was seen it stays failed: the connection is to be closed.
class FrameDecoder {
public:
    void feed(QByteArrayView bytes);
    // The next whole frame, or nothing when more bytes are needed or the input failed.
    std::optional<Frame> next();
    bool failed() const { return m_failed; }
    // Bytes received but not yet handed out.
    qsizetype pending() const { return m_buffer.size() - m_read; }

private:
    QByteArray m_buffer;
    qsizetype m_read = 0;
    bool m_failed = false;
};

}
