#include "SingleInstance.h"

#include <QApplication>
#include <QDeadlineTimer>
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
    return sendToRunningCopy(serverName, QByteArrayLiteral("show"), connectWaitMs, WriteWaitMs);
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

    m_server = new InstanceServer(serverParent);
    if (!m_server->listen(m_channel.serverName)) {
        InstanceServer::removeServer(m_channel.serverName);
        if (!m_server->listen(m_channel.serverName)) {
            delete m_server;
            m_server = nullptr;
            return Outcome::NoServer;
        }
    }
    return Outcome::Primary;
}

void handleShowRequest(InstanceServer* server)
{
    if (server->readNextRequest(ReadWaitMs).startsWith("show")) {
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
}
