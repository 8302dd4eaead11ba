#include "usertags/receiver.h"

#include "usertags/endpoint_protocol.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>

struct Receiver::Connection {
    endpoint::FrameDecoder decoder;
    QTimer* idle = nullptr;
};

namespace {

// The folder already keeps others out; this also turns away anyone who got in regardless.
bool peerIsThisUser(QLocalSocket* socket)
{
#ifdef SO_PEERCRED
    struct ucred credentials {};
    socklen_t length = sizeof credentials;
    if (::getsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return false;
    return credentials.uid == ::getuid();
#else
    Q_UNUSED(socket);
    return true;
#endif
}

}

Receiver::Receiver(EnterFn onEnter, QObject* parent)
    : QObject(parent), m_onEnter(std::move(onEnter)), m_server(new QLocalServer(this)), m_takeOver(new QTimer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->setMaxPendingConnections(kMaxConnections);
    connect(m_server, &QLocalServer::newConnection, this, &Receiver::accept);
    m_takeOver->setInterval(kTakeOverIntervalMs);
    connect(m_takeOver, &QTimer::timeout, this, &Receiver::tryToOwn);
    tryToOwn();
    if (!ownsEndpoint())
        m_takeOver->start();
}

Receiver::~Receiver()
{
    // Closing removes the socket file; the lock goes last, so a waiting editor finds the
    // folder clean.
    m_server->close();
    m_lock.reset();
}

bool Receiver::ownsEndpoint() const
{
    return m_server->isListening();
}

void Receiver::tryToOwn()
{
    if (ownsEndpoint()) {
        m_takeOver->stop();
        return;
    }
    if (!m_location.ok() || m_location.folder.isEmpty())
        m_location = endpointLocation(true);
    if (!m_location.ok())
        return;
    if (!m_lock) {
        m_lock = std::make_unique<QLockFile>(m_location.lockPath);
        // The owner holds the lock as long as it runs; only a dead owner's lock is stale.
        m_lock->setStaleLockTime(0);
    }
    if (!m_lock->tryLock(0)) {
        // An unreadable lock file of a crashed editor: removable only when no running
        // process holds it locked.
        if (m_lock->error() != QLockFile::LockFailedError || !m_lock->removeStaleLockFile() || !m_lock->tryLock(0))
            return;
    }
    // Someone still answering on the socket keeps it, lock or not.
    QLocalSocket probe;
    probe.connectToServer(m_location.socketPath);
    if (probe.waitForConnected(200)) {
        probe.abort();
        m_lock->unlock();
        return;
    }
    QLocalServer::removeServer(m_location.socketPath);
    if (!m_server->listen(m_location.socketPath)) {
        qWarning("vornikedit: cannot listen on %s: %s", qPrintable(m_location.socketPath),
                 qPrintable(m_server->errorString()));
        m_lock->unlock();
        return;
    }
    m_takeOver->stop();
}

void Receiver::accept()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        if (m_connections.size() >= kMaxConnections || !peerIsThisUser(socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto connection = std::make_shared<Connection>();
        connection->idle = new QTimer(socket);
        connection->idle->setSingleShot(true);
        connection->idle->setInterval(kIdleTimeoutMs);
        // A sender that stops in the middle of a frame must not hold a place for ever.
        connect(connection->idle, &QTimer::timeout, socket, [this, socket] { drop(socket); });
        connection->idle->start();
        m_connections.insert(socket, connection);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { drop(socket); });
        if (socket->bytesAvailable() > 0)
            readFrom(socket);
    }
}

void Receiver::readFrom(QLocalSocket* socket)
{
    const std::shared_ptr<Connection> connection = m_connections.value(socket);
    if (!connection)
        return;
    connection->idle->start();
    while (socket->bytesAvailable() > 0) {
        connection->decoder.feed(socket->read(64 * 1024));
        while (std::optional<endpoint::Frame> frame = connection->decoder.next()) {
            if (frame->kind == endpoint::kSetText) {
                m_pending = frame->text;
            } else {
                const QString text = std::exchange(m_pending, QString());
                if (m_onEnter)
                    m_onEnter(text);
            }
            socket->write(&endpoint::kAccepted, 1);
        }
        if (connection->decoder.failed()) {
            reject(socket);
            return;
        }
    }
}

void Receiver::reject(QLocalSocket* socket)
{
    m_connections.remove(socket);
    socket->write(&endpoint::kRejected, 1);
    socket->flush();
    // Gone once the answer is out (or the peer is); deleting it now would drop the answer.
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    socket->disconnectFromServer();
    if (socket->state() == QLocalSocket::UnconnectedState)
        socket->deleteLater();
}

void Receiver::drop(QLocalSocket* socket)
{
    if (!m_connections.remove(socket))
        return;
    socket->abort();
    socket->deleteLater();
}
