#include "platform/InstanceChannel.h"
#include "platform/WaitingConnections.h"

#include "win_instancename.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

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

bool sendToRunningCopy(const QString& serverName, const QByteArray& bytes, int connectWaitMs, int answerWaitMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverName, QIODevice::ReadWrite);
    if (!socket.waitForConnected(connectWaitMs))
        return false;
    // Windows keeps a process in the background from taking the foreground unless
    // the one in front allows it.
    ULONG server = 0;
    if (GetNamedPipeServerProcessId(reinterpret_cast<HANDLE>(socket.socketDescriptor()), &server))
        AllowSetForegroundWindow(server);
    socket.write(bytes);
    socket.flush();
    // The copy closes its end once it has read the request.
    if (socket.waitForBytesWritten(answerWaitMs))
        socket.waitForDisconnected(answerWaitMs);
    return true;
}

// Each connection is read as its bytes come, never waited for: one that stays
// silent costs the event loop nothing until its deadline drops it.
struct InstanceServer::Private
{
    QLocalServer server;
    QString error;
    WaitingConnections* waiting = nullptr;

    void finish(InstanceServer* q, QLocalSocket* connection)
    {
        waiting->remove(quintptr(connection));
        const QByteArray request = connection->property("request").toByteArray();
        connection->disconnect(q);
        connection->abort();
        connection->deleteLater();
        if (!request.isEmpty())
            emit q->requestReceived(request);
    }

    void read(InstanceServer* q, QLocalSocket* connection)
    {
        QByteArray request = connection->property("request").toByteArray();
        request += connection->read(RequestBytes - request.size());
        connection->setProperty("request", request);
        if (request.size() >= RequestBytes || connection->state() != QLocalSocket::ConnectedState)
            finish(q, connection);
    }

    void take(InstanceServer* q)
    {
        while (QLocalSocket* connection = server.nextPendingConnection()) {
            QObject::connect(connection, &QLocalSocket::readyRead, q, [this, q, connection] { read(q, connection); });
            QObject::connect(connection, &QLocalSocket::disconnected, q,
                             [this, q, connection] { read(q, connection); });
            waiting->add(quintptr(connection));
            if (connection->bytesAvailable() > 0 || connection->state() != QLocalSocket::ConnectedState)
                read(q, connection);
        }
    }
};

InstanceServer::InstanceServer(QObject* parent, int requestWaitMs)
    : QObject(parent)
    , d(std::make_unique<Private>())
{
    d->waiting = new WaitingConnections(MaxWaitingConnections, requestWaitMs, this);
    // A dropped connection goes with everything it sent.
    connect(d->waiting, &WaitingConnections::dropped, this, [this](quintptr key) {
        auto* connection = reinterpret_cast<QLocalSocket*>(key);
        connection->disconnect(this);
        connection->abort();
        connection->deleteLater();
    });
    // Taken at once, so that QLocalServer's own queue of pending connections never fills.
    d->server.setMaxPendingConnections(MaxWaitingConnections);
    connect(&d->server, &QLocalServer::newConnection, this, [this] { d->take(this); });
}

InstanceServer::~InstanceServer() = default;

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
