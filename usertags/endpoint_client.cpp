#include "usertags/endpoint_client.h"

#include "usertags/endpoint_location.h"
#include "usertags/endpoint_protocol.h"

#include <QLocalSocket>

namespace {
const QString kNoEditor = QStringLiteral("起動中の vornikedit が見つかりません。");

SendResult exchange(QLocalSocket& socket, const QByteArray& frame, int timeoutMs)
{
    socket.write(frame);
    if (!socket.waitForBytesWritten(timeoutMs) && socket.bytesToWrite() > 0)
        return {SendResult::Failed, QStringLiteral("vornikedit が応答しません。")};
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(timeoutMs))
            return {SendResult::Failed, QStringLiteral("vornikedit が応答しません。")};
    }
    char answer = 0;
    socket.getChar(&answer);
    if (answer != endpoint::kAccepted)
        return {SendResult::Rejected, QStringLiteral("vornikedit が受け付けませんでした。")};
    return {SendResult::Sent, QString()};
}
}

SendResult sendToEditor(const std::optional<QString>& text, bool enter, int timeoutMs)
{
    if (text && text->toUtf8().size() > endpoint::kMaxPayload)
        return {SendResult::Rejected, QStringLiteral("テキストが長すぎます (1 MiB まで)。")};
    const EndpointLocation location = endpointLocation(false);
    if (!location.ok())
        return {SendResult::NoEditor, kNoEditor};
    QLocalSocket socket;
    socket.connectToServer(location.socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return {SendResult::NoEditor, kNoEditor};
    const QByteArray frame = text && enter ? endpoint::insertTextFrame(*text)
                             : text        ? endpoint::setTextFrame(*text)
                                           : endpoint::enterFrame();
    const SendResult result = exchange(socket, frame, timeoutMs);
    if (result.status != SendResult::Sent)
        return result;
    socket.disconnectFromServer();
    return {SendResult::Sent, QString()};
}
