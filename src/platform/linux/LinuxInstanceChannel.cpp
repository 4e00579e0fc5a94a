#include "RuntimeDirectory.h"
#include "platform/InstanceChannel.h"
#include "platform/WaitingConnections.h"

#include <QDir>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <unordered_map>

namespace {

// A folder only this user can use: ours, a real directory, no access for others.
bool isPrivateDirectory(const QString& path)
{
    struct stat info = {};
    if (lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 077) == 0;
}

QString ensurePrivateDirectory(const QString& path)
{
    if (mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST)
        return QString();
    return isPrivateDirectory(path) ? path : QString();
}

QString cacheRuntimeDirectory()
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return cache.isEmpty() ? QString() : cache + QStringLiteral("/RespiteKeeper-runtime");
}

QString tempRuntimeDirectory()
{
    return QDir::tempPath() + QStringLiteral("/RespiteKeeper-%1").arg(quint64(getuid()));
}

} // namespace

QString userRuntimeDirectory(const QString& xdgRuntimeDir, const QString& systemUserDir)
{
    if (!xdgRuntimeDir.isEmpty() && isPrivateDirectory(xdgRuntimeDir))
        return xdgRuntimeDir;
    // Starts from cron, su or some launchers lack the variable; the folder it names
    // in a normal session is still there.
    if (isPrivateDirectory(systemUserDir))
        return systemUserDir;
    // Another user can make the name in the shared temporary folder first: then it
    // is not ours, and the cache folder is the last place. Nothing shared is used.
    const QString inTemp = ensurePrivateDirectory(tempRuntimeDirectory());
    if (!inTemp.isEmpty())
        return inTemp;
    const QString cache = cacheRuntimeDirectory();
    if (cache.isEmpty() || !QDir().mkpath(QFileInfo(cache).path()))
        return QString();
    return ensurePrivateDirectory(cache);
}

InstanceChannel instanceChannel(const QString& name)
{
    const QString directory = userRuntimeDirectory(qEnvironmentVariable("XDG_RUNTIME_DIR"),
                                                   QStringLiteral("/run/user/%1").arg(quint64(getuid())));
    if (directory.isEmpty())
        return {{},
                {},
                QStringLiteral("no folder of its own for its socket: XDG_RUNTIME_DIR (\"%1\") is not a folder that "
                               "only you can use, and neither %2 nor %3 could be made one; set XDG_RUNTIME_DIR to "
                               "a folder of yours with mode 700")
                    .arg(qEnvironmentVariable("XDG_RUNTIME_DIR"), tempRuntimeDirectory(), cacheRuntimeDirectory())};
    return {directory + QLatin1Char('/') + name, directory + QLatin1Char('/') + name + QStringLiteral(".lock"), {}};
}

// The channel is a Unix stream socket at the name's path, as Qt's local sockets
// make it, so copies built with those and this one understand each other. Served
// here with plain sockets: Qt Network would bring Kerberos, GSSAPI and libproxy
// into every running copy for this one socket.
namespace {

bool socketAddress(const QString& path, sockaddr_un& address)
{
    const QByteArray encoded = QFile::encodeName(path);
    address = {};
    address.sun_family = AF_UNIX;
    if (encoded.isEmpty() || size_t(encoded.size()) >= sizeof(address.sun_path))
        return false;
    memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));
    return true;
}

void setSendTimeout(int fd, int ms)
{
    const timeval timeout = {ms / 1000, (ms % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
}

int connectTo(const sockaddr_un& address, int flags)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | flags, 0);
    if (fd < 0)
        return -1;
    int result;
    do
        result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    while (result != 0 && errno == EINTR);
    // A listener whose queue is full: EAGAIN without waiting, a wait with it.
    if (result == 0 || errno == EAGAIN)
        return fd;
    close(fd);
    return -1;
}

// Whether some program listens on the socket at the address now.
bool somebodyListens(const sockaddr_un& address)
{
    const int fd = connectTo(address, SOCK_NONBLOCK);
    if (fd >= 0)
        close(fd);
    return fd >= 0;
}

// What is there instead of a socket that a copy which is gone left, or empty.
QString occupied(const sockaddr_un& address)
{
    struct stat info = {};
    if (lstat(address.sun_path, &info) != 0)
        return QStringLiteral("\"%1\" cannot be looked at (%2)")
            .arg(QFile::decodeName(address.sun_path), QString::fromLocal8Bit(strerror(errno)));
    const QString path = QFile::decodeName(address.sun_path);
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("\"%1\" is a folder, not its socket; remove or rename that folder").arg(path);
    if (!S_ISSOCK(info.st_mode))
        return QStringLiteral("\"%1\" is a file, not its socket; move that file away").arg(path);
    if (somebodyListens(address))
        return QStringLiteral("another program listens on \"%1\"; end it").arg(path);
    return {};
}

// What reading a connection's request came to.
enum class Reading { More, Whole, TooLong };

// Reads what the connection has sent, without waiting: up to the end of the first
// line, or the client's end of writing. A line longer than a request may be is
// not read on.
Reading readAvailable(int fd, QByteArray& bytes)
{
    char buffer[MaxRequestBytes + 1];
    for (;;) {
        ssize_t count;
        do
            count = recv(fd, buffer, size_t(MaxRequestBytes + 1 - bytes.size()), MSG_DONTWAIT);
        while (count < 0 && errno == EINTR);
        if (count > 0) {
            bytes.append(buffer, qsizetype(count));
            if (const qsizetype end = bytes.indexOf('\n'); end >= 0 && end < MaxRequestBytes) {
                bytes.truncate(end + 1);
                return Reading::Whole;
            }
            if (bytes.size() > MaxRequestBytes - 1)
                return Reading::TooLong;
            continue;
        }
        // The client's end of writing ends its request too, as the bare "show" of
        // earlier versions has it.
        if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            return Reading::Whole;
        return Reading::More;
    }
}

// Takes in what the client still sends, so that closing the connection does not
// reset it before it has read the answer.
void drain(int fd)
{
    char buffer[4096];
    for (int i = 0; i < 16 && recv(fd, buffer, sizeof(buffer), MSG_DONTWAIT) > 0; ++i) {
    }
}

} // namespace

bool sendToRunningCopy(const QString& serverName, const QByteArray& bytes, int connectWaitMs, int answerWaitMs)
{
    sockaddr_un address = {};
    if (!socketAddress(serverName, address))
        return false;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // A listener whose queue is full keeps connect() waiting, up to the send time-out.
    setSendTimeout(fd, connectWaitMs);
    int result;
    do
        result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    while (result != 0 && errno == EINTR);
    bool taken = result == 0;
    if (taken) {
        setSendTimeout(fd, answerWaitMs);
        // The window manager decides who takes the focus: nothing to allow here.
        send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL);
        shutdown(fd, SHUT_WR);
        // The copy closes the connection once it has read the request. A copy that
        // closes its socket without having read it (it is quitting) resets it.
        pollfd entry = {fd, POLLIN, 0};
        int ready;
        do
            ready = poll(&entry, 1, answerWaitMs);
        while (ready < 0 && errno == EINTR);
        char byte;
        taken = ready <= 0 || recv(fd, &byte, 1, MSG_DONTWAIT) >= 0 || errno != ECONNRESET;
    }
    close(fd);
    return taken;
}

Exchange exchangeWithRunningCopy(const QString& serverName, const QByteArray& request, int connectWaitMs,
                                 int answerWaitMs, const std::function<bool(const QByteArray&)>& onAnswer)
{
    sockaddr_un address = {};
    if (!socketAddress(serverName, address))
        return Exchange::NoCopy;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return Exchange::NoCopy;
    setSendTimeout(fd, connectWaitMs);
    int result;
    do
        result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        close(fd);
        return Exchange::NoCopy;
    }
    setSendTimeout(fd, answerWaitMs);
    // The line ends the request; the connection's end ends a following client.
    const QByteArray line = request + '\n';
    send(fd, line.constData(), size_t(line.size()), MSG_NOSIGNAL);
    bool answered = false;
    Exchange outcome = Exchange::Silent;
    for (;;) {
        pollfd entry = {fd, POLLIN, 0};
        int ready;
        do
            ready = poll(&entry, 1, answered ? -1 : answerWaitMs);
        while (ready < 0 && errno == EINTR);
        if (ready <= 0)
            break;
        char buffer[4096];
        ssize_t count;
        do
            count = recv(fd, buffer, sizeof(buffer), 0);
        while (count < 0 && errno == EINTR);
        if (count <= 0) {
            // Closed: with no answer, by a copy that does not take this request.
            outcome = answered ? Exchange::Answered : Exchange::Unread;
            break;
        }
        answered = true;
        if (!onAnswer(QByteArray(buffer, qsizetype(count)))) {
            outcome = Exchange::Answered;
            break;
        }
    }
    close(fd);
    return outcome;
}

struct InstanceServer::Private
{
    int fd = -1;
    QString path;
    QString error;
    QSocketNotifier* notifier = nullptr;
    struct Connection
    {
        QSocketNotifier* notifier = nullptr;
        QByteArray bytes;
        bool answering = false; // its request is read; it may be kept
        bool kept = false;
    };
    std::unordered_map<int, Connection> connections;
    WaitingConnections* waiting = nullptr;

    void close(int connection)
    {
        const auto it = connections.find(connection);
        if (it != connections.end()) {
            // It may be the notifier whose signal runs now.
            it->second.notifier->setEnabled(false);
            it->second.notifier->deleteLater();
            connections.erase(it);
        }
        drain(connection);
        ::close(connection);
    }

    void take(InstanceServer* server, int connection);
    void read(InstanceServer* server, int connection);
};

void InstanceServer::Private::take(InstanceServer* server, int connection)
{
    auto* connectionNotifier = new QSocketNotifier(connection, QSocketNotifier::Read, server);
    connections[connection] = {connectionNotifier, {}};
    waiting->add(quintptr(connection));
    QObject::connect(connectionNotifier, &QSocketNotifier::activated, server,
                     [this, server, connection] { read(server, connection); });
    // A real client has sent its request by the time it is accepted, mostly.
    read(server, connection);
}

void InstanceServer::Private::read(InstanceServer* server, int connection)
{
    const auto it = connections.find(connection);
    if (it == connections.end())
        return;
    if (it->second.kept) {
        // A kept client sends nothing more; what comes is its end.
        char buffer[256];
        const ssize_t count = recv(connection, buffer, sizeof(buffer), MSG_DONTWAIT);
        if (count == 0 || (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            close(connection);
            emit server->clientGone(quintptr(connection));
        }
        return;
    }
    const Reading reading = readAvailable(connection, it->second.bytes);
    if (reading == Reading::More)
        return;
    waiting->remove(quintptr(connection));
    if (reading == Reading::TooLong) {
        const QByteArray answer = QByteArrayLiteral("error a request is one line of at most ") +
                                  QByteArray::number(MaxRequestBytes) + " bytes\n";
        send(connection, answer.constData(), size_t(answer.size()), MSG_DONTWAIT | MSG_NOSIGNAL);
        close(connection);
        return;
    }
    const QByteArray request = it->second.bytes;
    it->second.answering = true;
    if (!request.isEmpty())
        emit server->requestReceived(request, quintptr(connection));
    const auto after = connections.find(connection);
    if (after != connections.end() && !after->second.kept)
        close(connection);
}

InstanceServer::InstanceServer(QObject* parent, int requestWaitMs)
    : QObject(parent)
    , d(std::make_unique<Private>())
{
    d->waiting = new WaitingConnections(MaxWaitingConnections, requestWaitMs, this);
    connect(d->waiting, &WaitingConnections::dropped, this, [this](quintptr key) { d->close(int(key)); });
}

InstanceServer::~InstanceServer()
{
    for (const auto& [connection, state] : d->connections) {
        delete state.notifier;
        ::close(connection);
    }
    if (d->fd >= 0) {
        delete d->notifier;
        ::close(d->fd);
        unlink(QFile::encodeName(d->path).constData());
    }
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
    const int connection = int(client);
    const auto it = d->connections.find(connection);
    if (it == d->connections.end() || !it->second.answering)
        return false;
    // What the client has not read yet stays in the socket's queue; a client that
    // lets it grow is not reading, and is not waited for.
    int unsent = 0;
    ioctl(connection, SIOCOUTQ, &unsent);
    ssize_t sent = -1;
    if (unsent + bytes.size() <= MaxUnreadAnswerBytes) {
        do
            sent = send(connection, bytes.constData(), size_t(bytes.size()), MSG_DONTWAIT | MSG_NOSIGNAL);
        while (sent < 0 && errno == EINTR);
    }
    if (sent == bytes.size())
        return true;
    const bool kept = it->second.kept;
    d->close(connection);
    if (kept)
        emit clientGone(client);
    return false;
}

void InstanceServer::keep(quintptr client)
{
    const auto it = d->connections.find(int(client));
    if (it != d->connections.end() && it->second.answering)
        it->second.kept = true;
}

void InstanceServer::closeClient(quintptr client)
{
    if (d->connections.count(int(client)))
        d->close(int(client));
}

bool InstanceServer::listen(const QString& serverName)
{
    sockaddr_un address = {};
    if (d->fd >= 0)
        return false;
    if (!socketAddress(serverName, address)) {
        d->error = QStringLiteral("the path of its socket, \"%1\", is longer than a socket's name can be (%2 bytes); "
                                  "set XDG_RUNTIME_DIR to a shorter folder")
                       .arg(serverName)
                       .arg(sizeof(address.sun_path) - 1);
        return false;
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        d->error = QStringLiteral("no socket: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    const auto bindTo = [&] { return bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0; };
    bool bound = bindTo();
    if (!bound && errno == EADDRINUSE) {
        // Only a socket that nobody answers on any more is removed.
        d->error = occupied(address);
        if (d->error.isEmpty() && unlink(address.sun_path) == 0)
            bound = bindTo();
    }
    if (!bound) {
        if (d->error.isEmpty())
            d->error = QStringLiteral("cannot make its socket \"%1\" (%2); the folder must be yours and writable")
                           .arg(serverName, QString::fromLocal8Bit(strerror(errno)));
        ::close(fd);
        return false;
    }
    // The socket lives in this user's private folder; it is for this user alone too.
    chmod(address.sun_path, 0600);
    if (::listen(fd, SOMAXCONN) != 0) {
        d->error =
            QStringLiteral("cannot listen on \"%1\" (%2)").arg(serverName, QString::fromLocal8Bit(strerror(errno)));
        ::close(fd);
        unlink(address.sun_path);
        return false;
    }
    d->fd = fd;
    d->path = serverName;
    d->notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(d->notifier, &QSocketNotifier::activated, this, [this] {
        int connection;
        while ((connection = accept4(d->fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0)
            d->take(this, connection);
        // Out of descriptors, the waiting connection would wake the loop at once,
        // again and again: it waits a second instead.
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            d->notifier->setEnabled(false);
            QTimer::singleShot(1000, d->notifier, [notifier = d->notifier] { notifier->setEnabled(true); });
        }
    });
    return true;
}
