#include "platform/InstanceChannel.h"

#include "win_instancename.h"

#include <QDir>

#include <windows.h>

// Pipe names are one namespace for the whole machine: the name carries the user and
// the session, so that users signed in at once each run their own copy. The
// temporary folder is per user on Windows.
InstanceChannel instanceChannel(const QString& name)
{
    return {QString::fromStdWString(winInstanceName(name.toStdWString())),
            QDir::tempPath() + QLatin1Char('/') + name + QStringLiteral(".lock"), QLocalServer::NoOptions};
}

void allowServerToTakeFocus(QLocalSocket& socket)
{
    ULONG server = 0;
    if (GetNamedPipeServerProcessId(reinterpret_cast<HANDLE>(socket.socketDescriptor()), &server))
        AllowSetForegroundWindow(server);
}
