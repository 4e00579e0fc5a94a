#include "platform/TrayWait.h"

int systemTrayWaitMs()
{
    // The shell's notification area is there before Run entries start.
    return 0;
}

QString systemTrayKind()
{
    return QStringLiteral("the Windows notification area");
}

bool sessionHasDisplay()
{
    return true;
}
