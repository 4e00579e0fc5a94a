#include "SingleInstance.h"

#include <QApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>

const char* const SingleInstance::ServerName = "RespiteKeeperSingleInstance";

namespace {
constexpr int ProbeConnectWaitMs = 500;
constexpr int RetryConnectWaitMs = 100;
// How long a client waits for the running copy to take its request.
constexpr int AnswerWaitMs = 1000;
// How long a starting copy that lost the election waits for the winner to listen.
constexpr int ElectionWaitMs = 3000;
constexpr int ElectionRetryMs = 50;
// A lock file that says nothing readable and is older than this is left over:
// the copy that makes one writes it at once.
constexpr qint64 UnreadableLockAgeMs = 1000;
} // namespace

SingleInstance::SingleInstance(const InstanceChannel& channel)
    : m_channel(channel)
    , m_lock(channel.lockFilePath)
{
    // Only a lock whose process is gone is stale; a stopped copy still holds it.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    release();
}

void SingleInstance::release()
{
    m_server.reset();
    m_lock.unlock();
}

bool SingleInstance::sendShowRequest(const QString& serverName, int connectWaitMs)
{
    return sendToRunningCopy(serverName, QByteArrayLiteral("show"), connectWaitMs, AnswerWaitMs);
}

// A lock naming a process that is gone is taken over by QLockFile itself; one that
// names none (empty, garbled) is taken over here once it is clearly not being
// written. A copy that holds its lock keeps it locked, so this cannot take it.
bool SingleInstance::takeOverUnreadableLock()
{
    qint64 pid = 0;
    QString host, application;
    if (m_lock.getLockInfo(&pid, &host, &application))
        return false;
    const QDateTime modified = QFileInfo(m_channel.lockFilePath).lastModified();
    return modified.isValid() && qAbs(modified.msecsTo(QDateTime::currentDateTime())) >= UnreadableLockAgeMs &&
           m_lock.removeStaleLockFile();
}

SingleInstance::Outcome SingleInstance::claim()
{
    if (!m_channel.problem.isEmpty()) {
        m_error = m_channel.problem;
        return Outcome::Failed;
    }
    if (sendShowRequest(m_channel.serverName, ProbeConnectWaitMs))
        return Outcome::HandedOver;

    // Copies started together all find no server; the lock holder alone may clear a
    // stale name and listen, the others hand over to it once it does.
    const QDeadlineTimer deadline(ElectionWaitMs);
    while (!m_lock.tryLock(0)) {
        // A lock file that cannot be written at all elects nobody: the socket decides.
        if (m_lock.error() != QLockFile::LockFailedError)
            break;
        if (takeOverUnreadableLock())
            continue;
        if (sendShowRequest(m_channel.serverName, RetryConnectWaitMs))
            return Outcome::HandedOver;
        if (deadline.hasExpired()) {
            qint64 pid = 0;
            QString host, application;
            m_error = m_lock.getLockInfo(&pid, &host, &application)
                          ? QStringLiteral("another copy (process %1) holds the lock file \"%2\" but does not answer "
                                           "on \"%3\"; if it hangs, end it")
                                .arg(pid)
                                .arg(m_channel.lockFilePath, m_channel.serverName)
                          : QStringLiteral("the lock file \"%1\" names no copy and cannot be taken over; remove it")
                                .arg(m_channel.lockFilePath);
            return Outcome::Failed;
        }
        QThread::msleep(ElectionRetryMs);
    }

    m_server = std::make_unique<InstanceServer>();
    if (!m_server->listen(m_channel.serverName)) {
        m_error = m_server->errorString();
        m_server.reset();
        m_lock.unlock();
        return Outcome::Failed;
    }
    return Outcome::Primary;
}
