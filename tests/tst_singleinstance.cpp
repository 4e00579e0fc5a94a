#include "TestHelpers.h"
#include "app/SingleInstance.h"
#include "platform/linux/RuntimeDirectory.h"

#include <atomic>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {
sockaddr_un addressOf(const QString& path)
{
    sockaddr_un address = {AF_UNIX, {}};
    qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof(address.sun_path));
    return address;
}
// A client that connects and sends nothing: its descriptor.
int silentClient(const QString& path)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = addressOf(path);
    return ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 ? fd : -1;
}
// One request and its whole answer, from a thread of its own: the server answers
// in this one.
Exchange exchange(const QString& name, const QByteArray& request, QByteArray& answer)
{
    answer.clear();
    std::atomic<bool> done{false};
    Exchange outcome = Exchange::Silent;
    std::thread client([&] {
        outcome = exchangeWithRunningCopy(name, request, 1000, 3000, [&answer](const QByteArray& bytes) {
            answer += bytes;
            return true;
        });
        done = true;
    });
    while (!done)
        QTest::qWait(10);
    client.join();
    return outcome;
}
// Whether the server has closed the client's connection.
bool closedByServer(int fd)
{
    pollfd entry = {fd, POLLIN, 0};
    char byte;
    return poll(&entry, 1, 0) == 1 && recv(fd, &byte, 1, MSG_DONTWAIT) <= 0;
}
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_serial = 0;
    InstanceChannel freshChannel()
    {
        const QString base = m_dir.path() + QStringLiteral("/channel%1").arg(++m_serial);
        return {base, base + ".lock", {}};
    }

private slots:
    // Every start of the user must meet in one folder, with or without
    // XDG_RUNTIME_DIR; one that others may read is not used, and when no private
    // folder can be had, none is: start-up stops and says why.
    void startsWithoutTheRuntimeVariableMeetInTheSystemUserFolder()
    {
        qputenv("TMPDIR", QFile::encodeName(m_dir.path())); // where the last fallback goes
        const QString perUser = m_dir.path() + "/run-user-uid";
        QVERIFY(QDir().mkdir(perUser, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(userRuntimeDirectory(perUser, perUser) == perUser &&
                userRuntimeDirectory(QString(), perUser) == perUser);
        QFile::setPermissions(perUser, QFile::permissions(perUser) | QFile::ReadGroup | QFile::ExeGroup);
        const QString fallback = userRuntimeDirectory(QString(), perUser);
        QVERIFY(fallback.startsWith(m_dir.path() + "/RespiteKeeper-"));
        QCOMPARE(userRuntimeDirectory(QString(), m_dir.path() + "/missing"), fallback);

        // Another user may have made the name in the shared folder; the cache is unusable.
        QFile::setPermissions(fallback, QFile::permissions(fallback) | QFile::ReadOther | QFile::ExeOther);
        QVERIFY(writeFile(m_dir.path() + "/file"));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.path() + "/file/cache"));
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(perUser));
        const InstanceChannel none = instanceChannel("x");
        qputenv("XDG_RUNTIME_DIR", runtime);
        QVERIFY(userRuntimeDirectory(QString(), perUser).isEmpty() && none.serverName.isEmpty());
        qunsetenv("XDG_CACHE_HOME");
        SingleInstance instance(none);
        QVERIFY(instance.claim() == SingleInstance::Outcome::Failed &&
                instance.errorString().contains("XDG_RUNTIME_DIR"));
    }

    // A request is one line, or what comes before the client's end of writing (the
    // bare "show" of earlier versions); the answer goes back on the connection, which
    // then closes unless it is kept. A line longer than a request may be is answered
    // with an error and never handed on; a kept client that leaves its answers
    // unread is dropped, never waited for, and one that hangs up is let go.
    void requestsAreLinesAnsweredOnTheirConnection()
    {
        InstanceServer server;
        const QString name = freshChannel().serverName;
        QSignalSpy requests(&server, &InstanceServer::requestReceived);
        QSignalSpy gone(&server, &InstanceServer::clientGone);
        QVERIFY(server.listen(name));
        quintptr kept = 0;
        connect(&server, &InstanceServer::requestReceived, this, [&](const QByteArray& request, quintptr client) {
            // The bare "show" comes from a client that reads no answer.
            if (request != "show")
                QVERIFY(server.answer(client, "ok " + request));
            if (request == "keep\n") {
                server.keep(client);
                kept = client;
            }
        });
        QVERIFY(sendToRunningCopy(name, "show", 1000, 0));
        QTRY_COMPARE(requests.size(), 1);
        QCOMPARE(requests.first().first().toByteArray(), QByteArray("show"));

        QByteArray answer;
        QCOMPARE(exchange(name, "RK1 status", answer), Exchange::Answered);
        QCOMPARE(answer, QByteArray("ok RK1 status\n"));
        QCOMPARE(exchange(name, QByteArray(MaxRequestBytes, 'x'), answer), Exchange::Answered);
        QVERIFY2(answer.startsWith("error ") && requests.size() == 2, answer.constData());
        QCOMPARE(exchange(name + "-none", "RK1 status", answer), Exchange::NoCopy);

        // A kept client reads on until it has enough, then hangs up.
        std::atomic<int> outcome{-1};
        QByteArray followed;
        std::thread follower([&] {
            outcome = int(exchangeWithRunningCopy(name, "keep", 1000, 3000, [&followed](const QByteArray& bytes) {
                followed += bytes;
                return !followed.endsWith("last\n");
            }));
        });
        QTRY_VERIFY(kept != 0 && server.keptClients() == 1);
        QVERIFY(server.answer(kept, "more\n") && server.answer(kept, "last\n"));
        QTRY_COMPARE(outcome.load(), int(Exchange::Answered));
        follower.join();
        QCOMPARE(followed, QByteArray("ok keep\nmore\nlast\n"));
        QTRY_VERIFY(gone.size() == 1 && server.keptClients() == 0);

        // One that reads nothing is dropped once its unread answers pass the bound.
        const int silent = silentClient(name);
        QVERIFY(::send(silent, "keep\n", 5, 0) == 5);
        QTRY_VERIFY(server.keptClients() == 1);
        const QByteArray chunk(4096, 'y');
        int written = 0;
        while (server.answer(kept, chunk) && written < 4 * MaxUnreadAnswerBytes)
            written += chunk.size();
        QVERIFY(written <= MaxUnreadAnswerBytes && gone.size() == 2 && server.keptClients() == 0);
        close(silent);
    }

    // A copy of an earlier version reads the first four bytes of any request and
    // closes the connection: a client of this one then knows it was not taken.
    void anEarlierCopyThatDoesNotAnswerIsToldApart()
    {
        const QString name = freshChannel().serverName;
        const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
        const sockaddr_un address = addressOf(name);
        QVERIFY(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 &&
                listen(listener, 4) == 0);
        std::thread earlier([listener] {
            const int connection = accept(listener, nullptr, nullptr);
            char bytes[4];
            (void)!recv(connection, bytes, sizeof(bytes), MSG_WAITALL);
            close(connection);
        });
        QByteArray answer;
        QCOMPARE(exchange(name, "RK1 status", answer), Exchange::Unread);
        earlier.join();
        close(listener);
    }

    // Silent connections cost the event loop nothing and never reach the handler;
    // at most MaxWaitingConnections wait, each until its deadline, and a real
    // request sent among many of them is handled at once.
    void silentConnectionsNeverHoldTheServer()
    {
        InstanceServer server(nullptr, 300);
        const QString name = freshChannel().serverName;
        QSignalSpy requests(&server, &InstanceServer::requestReceived);
        QVERIFY(server.listen(name));
        std::vector<int> silent;
        for (int i = 0; i < 3 * MaxWaitingConnections; ++i)
            silent.push_back(silentClient(name));
        QElapsedTimer turning;
        turning.start();
        QTRY_COMPARE_WITH_TIMEOUT(server.waitingConnections(), MaxWaitingConnections, 2000);
        QVERIFY2(turning.elapsed() < 1000, qPrintable(QString::number(turning.elapsed())));
        // The oldest gave way to the newest.
        QVERIFY(closedByServer(silent.front()) && !closedByServer(silent.back()));
        QVERIFY(sendToRunningCopy(name, "show", 1000, 0));
        QTRY_COMPARE_WITH_TIMEOUT(requests.size(), 1, 1000);
        QTRY_VERIFY_WITH_TIMEOUT(closedByServer(silent.back()) && server.waitingConnections() == 0, 3000);
        QCOMPARE(requests.size(), 1);
        for (int fd : silent)
            close(fd);
    }

    // A lock file that names no running copy (empty, garbled, a process that is
    // gone) is taken over; the program starts.
    void staleLockFilesAreTakenOver()
    {
        const pid_t child = fork();
        if (child == 0)
            _exit(0);
        waitpid(child, nullptr, 0);
        InstanceChannel channel = freshChannel();
        QLockFile model(channel.lockFilePath);
        QVERIFY(model.tryLock(0));
        QByteArray dead = readFile(channel.lockFilePath);
        model.unlock();
        dead.replace(0, dead.indexOf('\n'), QByteArray::number(child));
        for (const QByteArray& content : {QByteArray(), QByteArray("\x01garbled\n"), dead}) {
            channel = freshChannel();
            QVERIFY(writeFile(channel.lockFilePath, content));
            QFile lock(channel.lockFilePath);
            QVERIFY(lock.open(QIODevice::ReadWrite) &&
                    lock.setFileTime(QDateTime::currentDateTime().addSecs(-2), QFileDevice::FileModificationTime));
            lock.close();
            SingleInstance instance(channel);
            QCOMPARE(instance.claim(), SingleInstance::Outcome::Primary);
        }
    }

    // Only a socket that nobody answers on is removed from the socket's path; a
    // folder, a file, a live socket and a path too long for a socket stop start-up
    // with the reason. Without a usable lock folder the socket still decides.
    void onlyAnAbandonedSocketIsReplaced()
    {
        const QString abandoned = freshChannel().serverName;
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        const sockaddr_un address = addressOf(abandoned);
        QVERIFY(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 && close(fd) == 0);
        QVERIFY(InstanceServer().listen(abandoned));

        InstanceServer live;
        const InstanceChannel folder = freshChannel(), file = freshChannel(), taken = freshChannel();
        QVERIFY(QDir().mkdir(folder.serverName) && writeFile(file.serverName, "data") && live.listen(taken.serverName));
        const QString tooLong = m_dir.path() + '/' + QString(120, 'x');
        for (const auto& [channel, reason] : {std::pair(folder, "is a folder"), std::pair(file, "is a file"),
                                              std::pair(taken, "another program listens"),
                                              std::pair(InstanceChannel{tooLong, tooLong + ".lock", {}}, "longer")}) {
            InstanceServer server;
            QVERIFY2(!server.listen(channel.serverName) && server.errorString().contains(reason),
                     qPrintable(server.errorString()));
        }
        QVERIFY(QFileInfo(folder.serverName).isDir() && readFile(file.serverName) == "data" &&
                sendToRunningCopy(taken.serverName, "show", 1000, 0));

        InstanceChannel noFolder = freshChannel();
        noFolder.lockFilePath = m_dir.path() + "/missing/folder/x.lock";
        QCOMPARE(SingleInstance(noFolder).claim(), SingleInstance::Outcome::Primary);
    }

    // A copy that is quitting closes its socket before it lets its lock go: a copy
    // started meanwhile, whose request it never read, waits for the lock and runs.
    void startDuringQuitRuns()
    {
        const InstanceChannel channel = freshChannel();
        QLockFile quittingLock(channel.lockFilePath);
        QVERIFY(quittingLock.tryLock(0));
        const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
        const sockaddr_un address = addressOf(channel.serverName);
        QVERIFY(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 &&
                ::listen(listener, 8) == 0);
        std::thread quitting([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            close(listener);
            unlink(address.sun_path);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            quittingLock.unlock();
        });
        SingleInstance instance(channel);
        const SingleInstance::Outcome outcome = instance.claim();
        quitting.join();
        QCOMPARE(outcome, SingleInstance::Outcome::Primary);
        // And it goes in the same order: the socket first, then the lock.
        bool inOrder = false;
        QObject::connect(instance.server(), &QObject::destroyed, [&] {
            QLockFile other(channel.lockFilePath);
            inOrder = !QFile::exists(channel.serverName) && !other.tryLock(0);
        });
        instance.release();
        QVERIFY(inOrder && quittingLock.tryLock(0));
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
