#include "platform/InstanceChannel.h"

#include <QDir>

// Named pipes live in the session's own namespace, so the plain name is kept; the
// temporary folder is per user on Windows.
InstanceChannel instanceChannel(const QString& name)
{
    return {name, QDir::tempPath() + QLatin1Char('/') + name + QStringLiteral(".lock"), QLocalServer::NoOptions};
}
