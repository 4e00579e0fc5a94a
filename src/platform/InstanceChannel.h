#pragma once

#include <QObject>
#include <QString>

#include <memory>

// Where this user's running copy listens for "show" requests, and the lock file
// that decides which of several starting copies becomes the running one.
struct InstanceChannel
{
    QString serverName;
    QString lockFilePath;
};

InstanceChannel instanceChannel(const QString& name);

// Connects to the copy listening on serverName, waiting up to connectWaitMs, lets it
// take the foreground, and sends the bytes (waiting up to writeWaitMs for them to
// go). False when no copy accepted the connection.
bool sendToRunningCopy(const QString& serverName, const QByteArray& bytes, int connectWaitMs, int writeWaitMs);

// The running copy's end: a local socket server, reachable by this user only.
class InstanceServer : public QObject
{
    Q_OBJECT

public:
    explicit InstanceServer(QObject* parent = nullptr);
    ~InstanceServer() override;

    bool listen(const QString& serverName);
    // Removes a name that a copy which is gone left behind.
    static void removeServer(const QString& serverName);

    // Takes the next waiting connection, reads what it sends within readWaitMs and
    // closes it. Empty when none waits or it sent nothing in time.
    QByteArray readNextRequest(int readWaitMs);

signals:
    void newConnection();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
