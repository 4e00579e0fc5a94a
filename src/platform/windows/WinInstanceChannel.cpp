#include "platform/InstanceChannel.h"
#include "platform/WaitingConnections.h"

#include "win_instancename.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <algorithm>
#include <unordered_map>

#include <windows.h>

// Pipe names are one namespace for the whole machine: the name carries the user and
// the session, so that users signed in at once each run their own copy. The
// temporary folder is per user on Windows.
InstanceChannel instanceChannel(const QString& name)
{
    return {QString::fromStdWString(winInstanceName(name.toStdWString())),
            QDir::tempPath() + QLatin1Char('/') + name + QStringLiteral(".lock"),
            {}};
}

namespace {

// Windows keeps a process in the background from taking the foreground unless the
// one in front allows it.
void allowForeground(const QLocalSocket& socket)
{
    ULONG server = 0;
    if (GetNamedPipeServerProcessId(reinterpret_cast<HANDLE>(socket.socketDescriptor()), &server))
        AllowSetForegroundWindow(server);
}

// A pipe has no end of writing: the server's end goes once the client has read what
// it was sent, or after this long.
constexpr int CloseWaitMs = 10000;

} // namespace

bool sendToRunningCopy(const QString& serverName, const QByteArray& bytes, int connectWaitMs, int answerWaitMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverName, QIODevice::ReadWrite);
    if (!socket.waitForConnected(connectWaitMs))
        return false;
    allowForeground(socket);
    socket.write(bytes);
    socket.flush();
    // The copy closes its end once it has read the request.
    if (socket.waitForBytesWritten(answerWaitMs))
        socket.waitForDisconnected(answerWaitMs);
    return true;
}

Exchange exchangeWithRunningCopy(const QString& serverName, const QByteArray& request, int connectWaitMs,
                                 int answerWaitMs, const std::function<bool(const QByteArray&)>& onAnswer)
{
    QLocalSocket socket;
    socket.connectToServer(serverName, QIODevice::ReadWrite);
    if (!socket.waitForConnected(connectWaitMs))
        return Exchange::NoCopy;
    allowForeground(socket);
    socket.write(request + '\n');
    socket.waitForBytesWritten(answerWaitMs);
    bool answered = false;
    for (;;) {
        if (socket.bytesAvailable() == 0) {
            // What came with the end of the connection is read before the end is.
            const bool ready =
                socket.state() == QLocalSocket::ConnectedState && socket.waitForReadyRead(answered ? -1 : answerWaitMs);
            if (!ready && socket.bytesAvailable() == 0) {
                if (socket.state() == QLocalSocket::ConnectedState)
                    return answered ? Exchange::Answered : Exchange::Silent;
                // Closed: with no answer, by a copy that does not take this request.
                return answered ? Exchange::Answered : Exchange::Unread;
            }
            continue;
        }
        answered = true;
        if (!onAnswer(socket.readAll()))
            return Exchange::Answered;
    }
}

// Each connection is read as its bytes come, never waited for: one that stays
// silent costs the event loop nothing until its deadline drops it. Answers are
// written without waiting too: the pipe's writer holds what the client has not
// read yet, and a client that lets it grow is dropped.
struct InstanceServer::Private
{
    InstanceServer* q = nullptr;
    QLocalServer server;
    QString error;
    WaitingConnections* waiting = nullptr;
    struct Connection
    {
        QByteArray bytes;
        bool answering = false; // its request is read; it may be kept
        bool kept = false;
    };
    std::unordered_map<QLocalSocket*, Connection> connections;

    static QLocalSocket* socketOf(quintptr client) { return reinterpret_cast<QLocalSocket*>(client); }

    // Forgets the connection and ends it at once, whatever it has not read.
    void drop(QLocalSocket* connection)
    {
        connections.erase(connection);
        waiting->remove(quintptr(connection));
        connection->disconnect(q);
        connection->abort();
        connection->deleteLater();
    }

    // Forgets the connection and ends it once the client has read its answer.
    void finish(QLocalSocket* connection)
    {
        connections.erase(connection);
        connection->disconnect(q);
        QObject::connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
        connection->disconnectFromServer();
        if (connection->state() == QLocalSocket::UnconnectedState)
            connection->deleteLater();
        else
            QTimer::singleShot(CloseWaitMs, connection, [connection] { connection->abort(); });
    }

    void read(QLocalSocket* connection);
    void take();
};

void InstanceServer::Private::read(QLocalSocket* connection)
{
    const auto it = connections.find(connection);
    if (it == connections.end())
        return;
    const bool ended = connection->state() != QLocalSocket::ConnectedState;
    if (it->second.kept) {
        // A kept client sends nothing more; what comes is its end.
        connection->readAll();
        if (ended) {
            drop(connection);
            emit q->clientGone(quintptr(connection));
        }
        return;
    }
    if (it->second.answering)
        return;
    QByteArray& bytes = it->second.bytes;
    bytes += connection->read(MaxRequestBytes + 1 - bytes.size());
    const qsizetype end = bytes.indexOf('\n');
    if (end >= 0 && end < MaxRequestBytes) {
        bytes.truncate(end + 1);
    } else if (bytes.size() > MaxRequestBytes - 1) {
        waiting->remove(quintptr(connection));
        connection->write(QByteArrayLiteral("error a request is one line of at most ") +
                          QByteArray::number(MaxRequestBytes) + " bytes\n");
        finish(connection);
        return;
    } else if (!ended && bytes != "show") {
        // The bare "show" of earlier versions has no line's end, and their client
        // waits for the copy to close the connection.
        return;
    }
    waiting->remove(quintptr(connection));
    it->second.answering = true;
    const QByteArray request = bytes;
    if (!request.isEmpty())
        emit q->requestReceived(request, quintptr(connection));
    const auto after = connections.find(connection);
    if (after == connections.end())
        return;
    if (!ended) {
        if (!after->second.kept)
            finish(connection);
        return;
    }
    // A client that ended before its answer reads none.
    const bool kept = after->second.kept;
    drop(connection);
    if (kept)
        emit q->clientGone(quintptr(connection));
}

void InstanceServer::Private::take()
{
    while (QLocalSocket* connection = server.nextPendingConnection()) {
        connections[connection] = {};
        waiting->add(quintptr(connection));
        // What a connection sends beyond a request is not kept.
        connection->setReadBufferSize(4 * MaxRequestBytes);
        QObject::connect(connection, &QLocalSocket::readyRead, q, [this, connection] { read(connection); });
        QObject::connect(connection, &QLocalSocket::disconnected, q, [this, connection] { read(connection); });
        if (connection->bytesAvailable() > 0 || connection->state() != QLocalSocket::ConnectedState)
            read(connection);
    }
}

InstanceServer::InstanceServer(QObject* parent, int requestWaitMs)
    : QObject(parent)
    , d(std::make_unique<Private>())
{
    d->q = this;
    d->waiting = new WaitingConnections(MaxWaitingConnections, requestWaitMs, this);
    // A dropped connection goes with everything it sent.
    connect(d->waiting, &WaitingConnections::dropped, this, [this](quintptr key) {
        if (d->connections.count(Private::socketOf(key)))
            d->drop(Private::socketOf(key));
    });
    // Taken at once, so that QLocalServer's own queue of pending connections never fills.
    d->server.setMaxPendingConnections(MaxWaitingConnections);
    // The pipe's name carries the user's name, but anyone could make a pipe of that
    // name first or connect to it: only this user may.
    d->server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&d->server, &QLocalServer::newConnection, this, [this] { d->take(); });
}

InstanceServer::~InstanceServer()
{
    // The connections end with the server, those still being read by their client
    // too: nothing of theirs reaches this one then, and no write is left pending.
    for (QLocalSocket* connection : d->server.findChildren<QLocalSocket*>()) {
        connection->disconnect();
        connection->abort();
    }
}

bool InstanceServer::listen(const QString& serverName)
{
    if (d->server.listen(serverName))
        return true;
    d->error = QStringLiteral("cannot listen on the pipe \"%1\" (%2)").arg(serverName, d->server.errorString());
    return false;
}

QString InstanceServer::errorString() const
{
    return d->error;
}

int InstanceServer::waitingConnections() const
{
    return d->waiting->count();
}

int InstanceServer::keptClients() const
{
    return int(std::count_if(d->connections.begin(), d->connections.end(),
                             [](const auto& entry) { return entry.second.kept; }));
}

bool InstanceServer::answer(quintptr client, const QByteArray& bytes)
{
    QLocalSocket* connection = Private::socketOf(client);
    const auto it = d->connections.find(connection);
    if (it == d->connections.end() || !it->second.answering)
        return false;
    // What the client has not read yet waits in the pipe's writer; a client that
    // lets it grow is not reading, and is not waited for.
    if (connection->state() == QLocalSocket::ConnectedState &&
        connection->bytesToWrite() + bytes.size() <= MaxUnreadAnswerBytes && connection->write(bytes) == bytes.size())
        return true;
    const bool kept = it->second.kept;
    d->drop(connection);
    if (kept)
        emit clientGone(client);
    return false;
}

void InstanceServer::keep(quintptr client)
{
    const auto it = d->connections.find(Private::socketOf(client));
    if (it != d->connections.end() && it->second.answering)
        it->second.kept = true;
}

void InstanceServer::closeClient(quintptr client)
{
    if (d->connections.count(Private::socketOf(client)))
        d->finish(Private::socketOf(client));
}
