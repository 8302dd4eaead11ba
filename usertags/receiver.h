#pragma once

#include "usertags/endpoint_location.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QFileSystemWatcher;
class QLocalServer;
class QLocalSocket;
class QLockFile;
class QTimer;

// The receiving endpoint: a local socket through which another program of the same user
// hands the editor a text. It holds one pending text (the last one set); only an Enter
// inserts it, and the pending text is empty again afterwards. A text can also come with its
// own insert, leaving the pending text alone.
//
// No client can hold the endpoint: each must finish a frame within a deadline, and when
// all places are taken a newcomer takes the place of the one that waited longest for its
// next frame.
//
// One editor owns the endpoint at a time, under a lock file in the endpoint's folder. The
// others watch that folder and try again when the owner clears it on its way out, so one of
// them takes over at once; an owner that crashed leaves its files behind, which a slow retry
// finds.
class Receiver : public QObject {
    Q_OBJECT
public:
    using EnterFn = std::function<void(const QString&)>;
    static constexpr int kTakeOverIntervalMs = 5000;
    static constexpr int kMaxConnections = 32;
    static constexpr int kFrameDeadlineMs = 5000;

    explicit Receiver(EnterFn onEnter, QObject* parent = nullptr);
    ~Receiver() override;

    bool ownsEndpoint() const;
    const QString& pendingText() const { return m_pending; }
    const EndpointLocation& location() const { return m_location; }

    // One attempt to become the owner; made again while another editor owns it.
    void tryToOwn();

private:
    struct Connection;
    void accept();
    void readFrom(QLocalSocket* socket);
    void reject(QLocalSocket* socket);
    void drop(QLocalSocket* socket);
    void dropLongestWaiting();
    void reportOnce(const QString& problem);
    void attemptToOwn();
    int folderState() const;

    EnterFn m_onEnter;
    QString m_pending;
    EndpointLocation m_location;
    QLocalServer* m_server = nullptr;
    QTimer* m_takeOver = nullptr;
    QFileSystemWatcher* m_folderWatch = nullptr;
    int m_folderStateTried = -1; // the folder as it was at the last attempt
    std::unique_ptr<QLockFile> m_lock;
    QHash<QLocalSocket*, std::shared_ptr<Connection>> m_connections;
    QElapsedTimer m_clock;
    QString m_reported;
};
