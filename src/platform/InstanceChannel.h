#pragma once

#include <QObject>
#include <QString>

#include <memory>

// Where this user's running copy listens for requests, and the lock file that
// decides which of several starting copies becomes the running one. problem says
// why there is no such place (then both paths are empty).
struct InstanceChannel
{
    QString serverName;
    QString lockFilePath;
    QString problem;
};

InstanceChannel instanceChannel(const QString& name);

// A request is the bytes a client sends on one connection; the server looks at no
// more than their first RequestBytes ("show" asks to bring the settings forward).
constexpr int RequestBytes = 4;
// How long a connection may take to send them, and how many may wait at once: a
// new connection beyond that drops the oldest waiting one.
constexpr int RequestWaitMs = 2000;
constexpr int MaxWaitingConnections = 16;

// Connects to the copy listening on serverName, waiting up to connectWaitMs, lets it
// take the foreground, sends the bytes and waits up to answerWaitMs for the copy to
// close the connection. True when a copy took the request, or still holds it when
// the wait ends (one that is stopped reads it later); false when none listens or
// the copy closed its end without reading it (it is quitting).
bool sendToRunningCopy(const QString& serverName, const QByteArray& bytes, int connectWaitMs, int answerWaitMs);

// The running copy's end: a local socket server, reachable by this user only. It
// reads every connection as its bytes come, never waiting for them.
class InstanceServer : public QObject
{
    Q_OBJECT

public:
    explicit InstanceServer(QObject* parent = nullptr, int requestWaitMs = RequestWaitMs);
    ~InstanceServer() override;

    // Listens on serverName. A name that a copy which is gone left behind is taken
    // over; anything else in its place is kept, and errorString() says why not.
    bool listen(const QString& serverName);
    QString errorString() const;
    // How many connections are open that have not sent a whole request yet.
    int waitingConnections() const;

signals:
    // A connection sent its request (its first RequestBytes bytes, or fewer when it
    // closed sooner; a connection that sends nothing before its deadline is dropped
    // without one).
    void requestReceived(const QByteArray& bytes);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
