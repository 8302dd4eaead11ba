#include "usertags/receiver.h"

#include "usertags/endpoint_protocol.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>

struct Receiver::Connection {
    endpoint::FrameDecoder decoder;
    // Since when it owes a whole frame: accepted, or its last frame answered.
    qint64 waitingSince = 0;
    QTimer* deadline = nullptr;
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
    // Accepted at once; a deep queue only keeps a burst of senders from being turned away.
    m_server->setMaxPendingConnections(4 * kMaxConnections);
    m_clock.start();
    connect(m_server, &QLocalServer::newConnection, this, &Receiver::accept);
    m_takeOver->setInterval(kTakeOverIntervalMs);
    connect(m_takeOver, &QTimer::timeout, this, &Receiver::tryToOwn);
    tryToOwn();
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
    if (!ownsEndpoint()) {
        m_folderStateTried = folderState();
        attemptToOwn();
    }
    if (ownsEndpoint()) {
        m_takeOver->stop();
        delete m_folderWatch;
        m_folderWatch = nullptr;
        return;
    }
    // The owner clears the folder when it ends: that is the moment to try again, and waiting
    // for it costs nothing meanwhile.
    if (!m_takeOver->isActive())
        m_takeOver->start();
    if (!m_folderWatch && m_location.ok() && !m_location.folder.isEmpty()) {
        m_folderWatch = new QFileSystemWatcher(this);
        // An attempt that fails changes the folder itself (the lock file comes and goes); only
        // a change from what that attempt found is news.
        connect(m_folderWatch, &QFileSystemWatcher::directoryChanged, this, [this] {
            if (folderState() != m_folderStateTried)
                tryToOwn();
        });
        m_folderWatch->addPath(m_location.folder);
    }
}

int Receiver::folderState() const
{
    if (!m_location.ok() || m_location.folder.isEmpty())
        return -1;
    return (QFileInfo::exists(m_location.lockPath) ? 1 : 0) | (QFileInfo::exists(m_location.socketPath) ? 2 : 0);
}

void Receiver::attemptToOwn()
{
    if (!m_location.ok() || m_location.folder.isEmpty())
        m_location = endpointLocation(true);
    if (!m_location.ok()) {
        reportOnce(QStringLiteral("no receiving endpoint: %1").arg(m_location.error));
        return;
    }
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
        reportOnce(QStringLiteral("cannot listen on %1: %2").arg(m_location.socketPath, m_server->errorString()));
        m_lock->unlock();
    }
}

void Receiver::reportOnce(const QString& problem)
{
    // Tried again and again; saying it each time would bury everything else.
    if (problem == m_reported)
        return;
    m_reported = problem;
    qWarning("vornikedit: %s", qPrintable(problem));
}

void Receiver::accept()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        if (!peerIsThisUser(socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        if (m_connections.size() >= kMaxConnections)
            dropLongestWaiting();
        auto connection = std::make_shared<Connection>();
        connection->waitingSince = m_clock.elapsed();
        connection->deadline = new QTimer(socket);
        connection->deadline->setSingleShot(true);
        connection->deadline->setInterval(kFrameDeadlineMs);
        // Counted per frame, not per byte, so a trickle does not keep a place either.
        connect(connection->deadline, &QTimer::timeout, socket, [this, socket] { drop(socket); });
        connection->deadline->start();
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
    while (socket->bytesAvailable() > 0) {
        connection->decoder.feed(socket->read(64 * 1024));
        while (std::optional<endpoint::Frame> frame = connection->decoder.next()) {
            if (frame->kind == endpoint::kSetText) {
                m_pending = frame->text;
            } else if (frame->kind == endpoint::kInsertText) {
                if (m_onEnter)
                    m_onEnter(frame->text);
            } else {
                const QString text = std::exchange(m_pending, QString());
                if (m_onEnter)
                    m_onEnter(text);
            }
            socket->write(&endpoint::kAccepted, 1);
            connection->waitingSince = m_clock.elapsed();
            connection->deadline->start();
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

void Receiver::dropLongestWaiting()
{
    QLocalSocket* oldest = nullptr;
    qint64 since = 0;
    for (auto it = m_connections.cbegin(); it != m_connections.cend(); ++it) {
        if (!oldest || it.value()->waitingSince < since) {
            oldest = it.key();
            since = it.value()->waitingSince;
        }
    }
    if (oldest)
        drop(oldest);
}
