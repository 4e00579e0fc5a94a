#pragma once

#include <QObject>
#include <QString>

#include <functional>
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

// A request is one line a client sends on a connection, at most MaxRequestBytes
// with its newline: "RK1 COMMAND [ARGUMENT]". The copy answers on the same
// connection, a line "ok" or "error WHY", then what the command shows, and closes
// it (a following client's stays open). The bare "show" of earlier versions, ended
// by the client's end of writing and answered by closing, still brings the settings
// forward; an earlier copy takes only that, and closes any other request unanswered.
constexpr int MaxRequestBytes = 256;
// How long a connection may take to send its request, and how many may wait at
// once: a new connection beyond that drops the oldest waiting one.
constexpr int RequestWaitMs = 2000;
constexpr int MaxWaitingConnections = 16;
// What a client that does not read may leave unread before it is dropped.
constexpr int MaxUnreadAnswerBytes = 64 * 1024;

// Connects to the copy listening on serverName, waiting up to connectWaitMs, lets it
// take the foreground, sends the bytes and waits up to answerWaitMs for the copy to
// close the connection. True when a copy took the request, or still holds it when
// the wait ends (one that is stopped reads it later); false when none listens or
// the copy closed its end without reading it (it is quitting).
bool sendToRunningCopy(const QString& serverName, const QByteArray& bytes, int connectWaitMs, int answerWaitMs);

// How an exchange with the running copy ended.
enum class Exchange {
    NoCopy,   // none listens
    Answered, // the copy answered and closed the connection (or the reader stopped)
    Unread,   // the copy closed the connection without an answer: it takes no such request
    Silent,   // no answer within the wait
};

// Sends one request line (without its newline) and hands each piece of the answer to onAnswer as it comes,
// until the copy closes the connection or onAnswer returns false. answerWaitMs
// bounds the wait for the first bytes of the answer; after them it waits for as
// long as the copy keeps the connection open (a following client's).
Exchange exchangeWithRunningCopy(const QString& serverName, const QByteArray& request, int connectWaitMs,
                                 int answerWaitMs, const std::function<bool(const QByteArray&)>& onAnswer);

// The running copy's end: a local socket server, reachable by this user only. It
// reads every connection as its bytes come, never waiting for them, and never
// waits to write to one.
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
    // How many clients are kept open by keep().
    int keptClients() const;

    // Writes to the client of a request, without waiting. A client that is gone,
    // or leaves more than MaxUnreadAnswerBytes unread, is closed (clientGone()
    // tells it for a kept one); false then.
    bool answer(quintptr client, const QByteArray& bytes);
    // Keeps the client's connection open after requestReceived() returns; without
    // it, the connection closes then.
    void keep(quintptr client);
    // Closes a kept client's connection.
    void closeClient(quintptr client);

signals:
    // A connection sent its request: a whole line (with its newline), or what came
    // before the client ended its writing (then without one: the request may be
    // cut short). client is valid for answer() and
    // keep() while the signal is delivered. A request longer than MaxRequestBytes
    // is answered "error" here and never reaches this signal; a connection that
    // sends nothing whole before its deadline is dropped without one.
    void requestReceived(const QByteArray& request, quintptr client);
    // A kept client closed its end, or was closed for not reading.
    void clientGone(quintptr client);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
