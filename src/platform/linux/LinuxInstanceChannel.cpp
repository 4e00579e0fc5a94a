#include "RuntimeDirectory.h"
#include "platform/InstanceChannel.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <deque>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

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

} // namespace

QString userRuntimeDirectory(const QString& xdgRuntimeDir, const QString& systemUserDir)
{
    if (!xdgRuntimeDir.isEmpty() && isPrivateDirectory(xdgRuntimeDir))
        return xdgRuntimeDir;
    // Starts from cron, su or some launchers lack the variable; the folder it names
    // in a normal session is still there.
    if (isPrivateDirectory(systemUserDir))
        return systemUserDir;
    const QString inTemp =
        ensurePrivateDirectory(QDir::tempPath() + QStringLiteral("/RespiteKeeper-%1").arg(quint64(getuid())));
    if (!inTemp.isEmpty())
        return inTemp;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    QDir().mkpath(cache);
    const QString inCache = ensurePrivateDirectory(cache + QStringLiteral("/RespiteKeeper-runtime"));
    return inCache.isEmpty() ? QDir::tempPath() : inCache;
}

InstanceChannel instanceChannel(const QString& name)
{
    const QString directory = userRuntimeDirectory(qEnvironmentVariable("XDG_RUNTIME_DIR"),
                                                   QStringLiteral("/run/user/%1").arg(quint64(getuid())));
    return {directory + QLatin1Char('/') + name, directory + QLatin1Char('/') + name + QStringLiteral(".lock")};
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

// Waits for fd to become readable, over interrupted waits, until the deadline.
bool waitReadable(int fd, const QDeadlineTimer& deadline)
{
    pollfd entry = {fd, POLLIN, 0};
    int ready;
    do
        ready = poll(&entry, 1, int(deadline.remainingTime()));
    while (ready < 0 && errno == EINTR);
    return ready > 0;
}

// Same cap as Qt's local server: connections beyond it wait in the system's queue.
constexpr size_t MaxPendingConnections = 30;
constexpr qsizetype MaxRequestBytes = 64 * 1024;

} // namespace

bool sendToRunningCopy(const QString& serverName, const QByteArray& bytes, int connectWaitMs, int writeWaitMs)
{
    sockaddr_un address = {};
    if (!socketAddress(serverName, address))
        return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // A listener whose queue is full keeps connect() waiting, up to the send time-out.
    setSendTimeout(fd, connectWaitMs);
    int result;
    do
        result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    while (result != 0 && errno == EINTR);
    if (result == 0) {
        setSendTimeout(fd, writeWaitMs);
        // The window manager decides who takes the focus: nothing to allow here.
        send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL);
    }
    close(fd);
    return result == 0;
}

struct InstanceServer::Private
{
    int fd = -1;
    QString path;
    QSocketNotifier* notifier = nullptr;
    std::deque<int> pending;
};

InstanceServer::InstanceServer(QObject* parent)
    : QObject(parent)
    , d(std::make_unique<Private>())
{}

InstanceServer::~InstanceServer()
{
    for (int connection : d->pending)
        close(connection);
    if (d->fd >= 0) {
        close(d->fd);
        unlink(QFile::encodeName(d->path).constData());
    }
}

bool InstanceServer::listen(const QString& serverName)
{
    sockaddr_un address = {};
    if (d->fd >= 0 || !socketAddress(serverName, address))
        return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    // The socket lives in this user's private folder; it is for this user alone too.
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        close(fd);
        return false;
    }
    chmod(address.sun_path, 0600);
    if (::listen(fd, SOMAXCONN) != 0) {
        close(fd);
        unlink(address.sun_path);
        return false;
    }
    d->fd = fd;
    d->path = serverName;
    d->notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(d->notifier, &QSocketNotifier::activated, this, [this] {
        // Accepted at once, like Qt's local server does, so the notifier rests.
        int connection;
        while (d->pending.size() < MaxPendingConnections &&
               (connection = accept4(d->fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0) {
            d->pending.push_back(connection);
            emit newConnection();
        }
        d->notifier->setEnabled(d->pending.size() < MaxPendingConnections);
    });
    return true;
}

void InstanceServer::removeServer(const QString& serverName)
{
    unlink(QFile::encodeName(serverName).constData());
}

QByteArray InstanceServer::readNextRequest(int readWaitMs)
{
    if (d->pending.empty())
        return {};
    const int connection = d->pending.front();
    d->pending.pop_front();
    if (d->notifier)
        d->notifier->setEnabled(true);
    QByteArray bytes;
    const QDeadlineTimer deadline(readWaitMs);
    // What has arrived once the first bytes are there, as a local socket's
    // waitForReadyRead() and readAll() give it.
    if (waitReadable(connection, deadline)) {
        char buffer[4096];
        ssize_t count;
        while (bytes.size() < MaxRequestBytes && (count = recv(connection, buffer, sizeof(buffer), 0)) > 0)
            bytes.append(buffer, count);
    }
    close(connection);
    return bytes;
}
