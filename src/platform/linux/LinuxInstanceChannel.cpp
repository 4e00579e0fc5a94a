#include "RuntimeDirectory.h"
#include "platform/InstanceChannel.h"

#include <QDir>
#include <QStandardPaths>

#include <sys/stat.h>
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
    return {directory + QLatin1Char('/') + name, directory + QLatin1Char('/') + name + QStringLiteral(".lock"),
            QLocalServer::UserAccessOption};
}

void allowServerToTakeFocus(QLocalSocket&)
{
    // The window manager decides who takes the focus.
}
