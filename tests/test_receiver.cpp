#include "usertags/endpoint_location.h"
#include "usertags/endpoint_protocol.h"
#include "usertags/receiver.h"
#include "usertags/user_tag_menu.h"
#include "window_test_support.h"

#include <QLocalSocket>
#include <QProcess>
#include <QtEndian>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
int modeOf(const QString& path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode);
}

// A client of the endpoint that never blocks the test's event loop.
struct Client {
    QLocalSocket socket;
    explicit Client(const QString& path)
    {
        socket.connectToServer(path);
        if (!socket.waitForConnected(2000))
            qFatal("cannot connect to %s", qPrintable(path));
        // Read as soon as it arrives: a closing peer's last byte is gone after the close.
        QObject::connect(&socket, &QLocalSocket::readyRead, &socket, [this] { m_answers += socket.readAll(); });
    }
    void send(const QByteArray& bytes)
    {
        socket.write(bytes);
        socket.flush();
    }
    // The answers received so far.
    QByteArray answers()
    {
        QCoreApplication::processEvents();
        return m_answers;
    }
    QByteArray m_answers;
};

const QString kSender = QStringLiteral(VORNIK_PROGRAM_DIR "/vornikedit-send");

// Runs the sender command; the editor answers on this thread's event loop, so it is waited
// for there. Exit code, or -1 when it did not end.
int runSender(const QStringList& args, const QByteArray& input = QByteArray())
{
    QProcess p;
    p.start(kSender, args);
    p.write(input);
    p.closeWriteChannel();
    if (!QTest::qWaitFor([&p] { return p.state() == QProcess::NotRunning; }, 5000))
        return -1;
    return p.exitCode();
}
}

class ReceiverTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_runtime = std::make_unique<QTemporaryDir>();
        ::chmod(QFile::encodeName(m_runtime->path()).constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
        qputenv("XDG_STATE_HOME", QFile::encodeName(m_runtime->path() + "/state"));
        m_folder = std::make_unique<TestProgramFolder>();
    }
    void cleanup()
    {
        m_folder.reset();
        m_runtime.reset();
    }

    void pendingTextAndEnter()
    {
        StartedWindow w;
        Receiver* receiver = receiverOf(w);
        QVERIFY(receiver && receiver->ownsEndpoint());
        w.setDocument("hello world");
        placeCaret(w, 5);

        Client client(receiver->location().socketPath);
        client.send(endpoint::setTextFrame(","));
        QTRY_COMPARE(client.answers(), QByteArray("K"));
        QCOMPARE(w.editwindow()->documentText(), QString("hello world")); // not without Enter
        QCOMPARE(receiver->pendingText(), QString(","));

        // The last text set wins.
        client.send(endpoint::setTextFrame(", dear"));
        client.send(endpoint::enterFrame());
        QTRY_COMPARE(client.answers(), QByteArray("KKK"));
        QCOMPARE(w.editwindow()->documentText(), QString("hello, dear world"));
        QCOMPARE(caretPosition(w), 11);
        QVERIFY(receiver->pendingText().isEmpty());

        // Enter with nothing pending deletes the selection.
        selectRange(w, 5, 11);
        client.send(endpoint::enterFrame());
        QTRY_COMPARE(client.answers(), QByteArray("KKKK"));
        QCOMPARE(w.editwindow()->documentText(), QString("hello world"));
        QCOMPARE(caretPosition(w), 5);
        QVERIFY(!hasSelection(w));

        // The pending text belongs to the endpoint, not to one connection.
        Client other(receiver->location().socketPath);
        other.send(endpoint::setTextFrame("\r\nline"));
        QTRY_COMPARE(other.answers(), QByteArray("K"));
        client.send(endpoint::enterFrame());
        QTRY_COMPARE(client.answers(), QByteArray("KKKKK"));
        QCOMPARE(w.editwindow()->documentText(), QString("hello\r\nline world"));

        // A text with its own insert neither takes nor clears another sender's pending text.
        other.send(endpoint::setTextFrame("+later"));
        QTRY_COMPARE(other.answers(), QByteArray("KK"));
        client.send(endpoint::insertTextFrame("!"));
        QTRY_COMPARE(client.answers(), QByteArray("KKKKKK"));
        other.send(endpoint::enterFrame());
        QTRY_COMPARE(other.answers(), QByteArray("KKK"));
        QCOMPARE(w.editwindow()->documentText(), QString("hello\r\nline!+later world"));
    }

    void folderAndSocketArePrivate()
    {
        StartedWindow w;
        const EndpointLocation& location = receiverOf(w)->location();
        QVERIFY(location.folder.startsWith(m_runtime->path()));
        QCOMPARE(modeOf(location.folder) & (S_IFMT | 0777), S_IFDIR | 0700);
        QVERIFY(S_ISSOCK(modeOf(location.socketPath)));
        QCOMPARE(modeOf(location.socketPath) & 077, 0);
    }

    void unsafeRuntimeFolderIsNotUsed()
    {
        QTemporaryDir tmp;
        qputenv("TMPDIR", QFile::encodeName(tmp.path()));
        ::chmod(QFile::encodeName(m_runtime->path()).constData(), 0755); // not the user's private folder
        EndpointLocation location = endpointLocation(true);
        QVERIFY2(location.ok(), qPrintable(location.error));
        QVERIFY(location.folder.startsWith(tmp.path() + "/vornikedit-"));
        QCOMPARE(modeOf(location.folder) & 0777, 0700);

        // A folder of ours with loose modes is tightened; a link in its place is refused.
        ::chmod(QFile::encodeName(location.folder).constData(), 0777);
        QVERIFY(endpointLocation(true).ok());
        QCOMPARE(modeOf(location.folder) & 0777, 0700);
        QDir(location.folder).removeRecursively();
        QDir(tmp.path()).mkdir("elsewhere");
        QVERIFY(QFile::link(tmp.path() + "/elsewhere", location.folder));
        const QString state = m_runtime->path() + "/state/vornikedit/endpoint-";
        QVERIFY(endpointLocation(true).folder.startsWith(state));

        // Without XDG_RUNTIME_DIR, a folder that another user made first in the temporary
        // folder is passed over, and editor and sender still meet.
        if (::getuid() == 0) {
            QFile::remove(location.folder);
            QVERIFY(QDir(tmp.path()).mkdir(QFileInfo(location.folder).fileName()));
            QCOMPARE(::chown(QFile::encodeName(location.folder).constData(), 65534, 65534), 0);
            qunsetenv("XDG_RUNTIME_DIR");
            StartedWindow w;
            QVERIFY(receiverOf(w)->ownsEndpoint());
            QVERIFY(receiverOf(w)->location().folder.startsWith(state));
            QCOMPARE(runSender({"private"}), 0);
            QCOMPARE(w.editwindow()->documentText(), QString("private"));
        }
        qunsetenv("TMPDIR");
    }

    // An editor of another session (its folder in the temporary folder) is not this one's.
    void senderKeepsToItsSession()
    {
        QTemporaryDir tmp;
        qputenv("TMPDIR", QFile::encodeName(tmp.path()));
        QVERIFY(QDir(tmp.path()).mkdir(QString("vornikedit-%1").arg(::getuid())));
        ::chmod(QFile::encodeName(tmp.path() + QString("/vornikedit-%1").arg(::getuid())).constData(), 0700);
        QVERIFY(!endpointLocation(false).ok());
        qunsetenv("TMPDIR");
    }

    void badFramesAndStuckSenders()
    {
        StartedWindow w;
        const QString path = receiverOf(w)->location().socketPath;

        // Senders that stop halfway through a frame, as many as there are places, hold
        // nobody up.
        std::vector<std::unique_ptr<Client>> stuck;
        for (int i = 0; i < Receiver::kMaxConnections; ++i) {
            stuck.push_back(std::make_unique<Client>(path));
            stuck.back()->send(endpoint::setTextFrame("never finished").left(1 + i % 8));
        }
        QCOMPARE(runSender({"first"}), 0);
        QCOMPARE(w.editwindow()->documentText(), QString("first"));
        w.setDocument(QString());

        // Anything but a well-formed frame within the limits is answered X and cut off.
        auto header = [](char kind, quint32 length) {
            QByteArray h(5, '\0');
            h[0] = kind;
            qToBigEndian(length, h.data() + 1);
            return h;
        };
        for (const QByteArray& bad : {header(endpoint::kSetText, endpoint::kMaxPayload + 1),
                                      header(endpoint::kSetText, 0xFFFFFFFFu), header('Q', 0),
                                      header(endpoint::kEnter, 1) + "x", header(endpoint::kSetText, 2) + "\x82\xA0"}) {
            Client sender(path);
            sender.send(bad + endpoint::enterFrame());
            QTRY_COMPARE(sender.answers(), QByteArray("X"));
            QTRY_COMPARE(sender.socket.state(), QLocalSocket::UnconnectedState);
        }

        Client good(path);
        good.send(endpoint::setTextFrame("ok") + endpoint::enterFrame());
        QTRY_COMPARE(good.answers(), QByteArray("KK"));
        QCOMPARE(w.editwindow()->documentText(), QString("ok"));
    }

    void anotherEditorTakesOver()
    {
        auto first = std::make_unique<Receiver>(nullptr);
        Receiver second(nullptr);
        QVERIFY(first->ownsEndpoint());
        QVERIFY(!second.ownsEndpoint());
        QTest::qWait(700); // the waiting one leaves the owner alone
        QVERIFY(first->ownsEndpoint() && !second.ownsEndpoint());

        first.reset();
        QTRY_VERIFY_WITH_TIMEOUT(second.ownsEndpoint(), 1000);
        Client client(second.location().socketPath);
        client.send(endpoint::setTextFrame("after"));
        QTRY_COMPARE(client.answers(), QByteArray("K"));
        QCOMPARE(second.pendingText(), QString("after"));
    }

    void staleSocketAndLockOfACrashedEditor()
    {
        const EndpointLocation location = endpointLocation(true);
        QVERIFY(location.ok());
        // A socket nobody listens on, and a lock file nobody holds.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(location.socketPath);
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
        QFile lock(location.lockPath);
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write("1\nvornikedit\nsomewhere\n");
        lock.close();

        Receiver receiver(nullptr);
        QVERIFY(receiver.ownsEndpoint());
    }

    void senderCommand()
    {
        StartedWindow w;
        w.setDocument("[]");
        placeCaret(w, 1);
        QCOMPARE(runSender({"--no-enter", "a", "b"}), 0);
        QCOMPARE(w.editwindow()->documentText(), QString("[]"));
        QCOMPARE(receiverOf(w)->pendingText(), QString("a b"));
        QCOMPARE(runSender({"--enter"}), 0);
        QCOMPARE(w.editwindow()->documentText(), QString("[a b]"));
        QCOMPARE(runSender({}, QString("標準入力\n").toUtf8()), 0);
        QCOMPARE(w.editwindow()->documentText(), QString("[a b標準入力]"));
        QCOMPARE(runSender({"--bogus"}), 2);

        // Standard input is read to its end, however slowly and in however many pieces.
        QProcess slow;
        slow.start(kSender, QStringList());
        slow.write("<");
        QTest::qWait(300);
        slow.write(">");
        slow.closeWriteChannel();
        QTRY_COMPARE(slow.state(), QProcess::NotRunning);
        QCOMPARE(slow.exitCode(), 0);
        QCOMPARE(w.editwindow()->documentText(), QString("[a b標準入力<>]"));
        w.setDocument(QString());
        const QString big = QString("あいう\r\n").repeated(12000); // 132 kB, beyond one pipe's worth
        QCOMPARE(runSender({}, big.toUtf8()), 0);
        QCOMPARE(w.editwindow()->documentText(), big.chopped(2));
        // Beyond the limit: refused whole.
        w.setDocument(QString());
        QCOMPARE(runSender({}, QByteArray(endpoint::kMaxPayload + 3, 'x')), 3);
        QCOMPARE(w.editwindow()->documentText(), QString());

        // Senders at once: every text arrives, once and whole.
        std::vector<std::unique_ptr<QProcess>> senders;
        for (int i = 0; i < 8; ++i) {
            senders.push_back(std::make_unique<QProcess>());
            senders.back()->start(kSender, {QString("<%1>").arg(i)});
        }
        for (auto& p : senders) {
            QTRY_COMPARE_WITH_TIMEOUT(p->state(), QProcess::NotRunning, 10000);
            QCOMPARE(p->exitCode(), 0);
        }
        for (int i = 0; i < 8; ++i)
            QCOMPARE(w.editwindow()->documentText().count(QString("<%1>").arg(i)), 1);
    }

private:
    std::unique_ptr<QTemporaryDir> m_runtime;
    std::unique_ptr<TestProgramFolder> m_folder;
};

QTEST_MAIN(ReceiverTest)
#include "test_receiver.moc"
