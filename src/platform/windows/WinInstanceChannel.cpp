#include "platform/InstanceChannel.h"

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
            QDir::tempPath() + QLatin1Char('/') + name + QStringLiteral(".lock")};
}

bool sendToRunningCopy(const QString& serverName, const QByteArray& bytes, int connectWaitMs, int writeWaitMs)
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
    socket.waitForBytesWritten(writeWaitMs);
    return true;
}

struct InstanceServer::Private
{
    QLocalServer server;
};

InstanceServer::InstanceServer(QObject* parent)
    : QObject(parent)
    , d(std::make_unique<Private>())
{
    connect(&d->server, &QLocalServer::newConnection, this, &InstanceServer::newConnection, Qt::DirectConnection);
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::listen(const QString& serverName)
{
    return d->server.listen(serverName);
}

void InstanceServer::removeServer(const QString& serverName)
{
    QLocalServer::removeServer(serverName);
}

QByteArray InstanceServer::readNextRequest(int readWaitMs)
{
    QLocalSocket* connection = d->server.nextPendingConnection();
    if (!connection)
        return {};
    connection->waitForReadyRead(readWaitMs);
    const QByteArray bytes = connection->readAll();
    connection->close();
    connection->deleteLater();
    return bytes;
}
