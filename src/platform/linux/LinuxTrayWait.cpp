#include "platform/TrayWait.h"

#include <QGuiApplication>

int systemTrayWaitMs()
{
    // Auto-start entries start while the panel is still starting. Without any
    // desktop (the offscreen and minimal platforms) no tray can come.
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return 0;
    return 30000;
}
