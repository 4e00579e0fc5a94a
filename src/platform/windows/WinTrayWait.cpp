#include "platform/TrayWait.h"

#include <QSystemTrayIcon>

int systemTrayWaitMs()
{
    // The shell's notification area is there before Run entries start.
    return 0;
}

bool awaitSystemTray(int)
{
    // Nothing to wait for (see above): Qt's own check, once.
    return QSystemTrayIcon::isSystemTrayAvailable();
}

QString systemTrayKind()
{
    return QStringLiteral("the Windows notification area");
}

bool sessionHasDisplay()
{
    return true;
}
