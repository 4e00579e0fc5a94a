#include "SingleInstance.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QWidget>

const char* const SingleInstance::ServerName = "RespiteKeeperSingleInstance";

namespace {
constexpr int ProbeConnectWaitMs = 500;
constexpr int RetryConnectWaitMs = 100;
constexpr int WriteWaitMs = 200;
constexpr int ReadWaitMs = 200;
// How long a starting copy that lost the election waits for the winner to listen.
constexpr int ElectionWaitMs = 1000;
constexpr int ElectionRetryMs = 50;
} // namespace

SingleInstance::SingleInstance(const InstanceChannel& channel)
    : m_channel(channel)
    , m_lock(channel.lockFilePath)
{
    // Only a lock whose process is gone is stale; a stopped copy still holds it.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::sendShowRequest(const QString& serverName, int connectWaitMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverName, QIODevice::ReadWrite);
    if (!socket.waitForConnected(connectWaitMs))
        return false;
    allowServerToTakeFocus(socket);
    socket.write("show", 4);
    socket.flush();
    socket.waitForBytesWritten(WriteWaitMs);
    return true;
}

SingleInstance::Outcome SingleInstance::claim(QObject* serverParent)
{
    if (sendShowRequest(m_channel.serverName, ProbeConnectWaitMs))
        return Outcome::HandedOver;

    // Copies started together all find no server; the lock holder alone may clear a
    // stale name and listen, the others hand over to it once it does.
    const QDeadlineTimer deadline(ElectionWaitMs);
    while (!m_lock.tryLock(0)) {
        // A lock file that cannot be written at all elects nobody: go on without it.
        if (m_lock.error() != QLockFile::LockFailedError)
            break;
        if (deadline.hasExpired())
            return Outcome::HandedOver;
        if (sendShowRequest(m_channel.serverName, RetryConnectWaitMs))
            return Outcome::HandedOver;
        QThread::msleep(ElectionRetryMs);
    }

    m_server = new QLocalServer(serverParent);
    m_server->setSocketOptions(m_channel.socketOptions);
    if (!m_server->listen(m_channel.serverName)) {
        QLocalServer::removeServer(m_channel.serverName);
        if (!m_server->listen(m_channel.serverName)) {
            delete m_server;
            m_server = nullptr;
            return Outcome::NoServer;
        }
    }
    return Outcome::Primary;
}

void handleShowRequest(QLocalServer* server)
{
    QLocalSocket* connection = server->nextPendingConnection();
    if (!connection)
        return;
    connection->waitForReadyRead(ReadWaitMs);
    if (connection->bytesAvailable() > 0 && connection->readAll().startsWith("show")) {
        const QWidgetList widgets = QApplication::topLevelWidgets();
        for (QWidget* widget : widgets) {
            if (widget->isWindow() && widget->objectName() == QLatin1String("RespiteKeeperSettings")) {
                widget->showNormal();
                widget->raise();
                widget->activateWindow();
                break;
            }
        }
    }
    connection->close();
    connection->deleteLater();
}
