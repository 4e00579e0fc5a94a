#include "platform/SystemShutdown.h"

#include "win_shutdown.h"

#include <QDebug>
#include <QProcess>

void shutdownSystem()
{
    const bool privilegeEnabled = winEnableShutdownPrivilege();
    qDebug() << "Shutdown privilege enabled:" << privilegeEnabled;
    unsigned long error = 0;
    if (winExitWindows(&error))
        return;
    qDebug() << "ExitWindowsEx failed with error:" << error << "(" << (error == 1314 ? "privilege not held" : "unknown")
             << ")";
    qDebug() << "Falling back to shutdown.exe /s /f /t 0";
    QProcess::startDetached(QStringLiteral("shutdown"),
                            {QStringLiteral("/s"), QStringLiteral("/f"), QStringLiteral("/t"), QStringLiteral("0")},
                            QString());
}
