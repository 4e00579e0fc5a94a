#pragma once

#include <QGuiApplication>

struct xcb_connection_t;

// The XCB connection of the display Qt uses, or null when Qt does not run on X11.
inline xcb_connection_t* x11Connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}
