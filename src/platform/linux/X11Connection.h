#pragma once

#include <QGuiApplication>

#include <cstdlib>
#include <cstring>

#include <xcb/xcb.h>

// The XCB connection of the display Qt uses, or null when Qt does not run on X11.
inline xcb_connection_t* x11Connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// Whether Qt runs on a Wayland compositor instead (with or without EGL).
inline bool onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// The root window of the display's first screen.
inline xcb_window_t x11RootWindow(xcb_connection_t* connection)
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

// The atom of the given name, or XCB_ATOM_NONE.
inline xcb_atom_t x11Atom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

// Sends a request to the window manager: an event to the root window, as the
// window-manager conventions (ICCCM, EWMH) ask for, flushed at once.
inline void sendToWindowManager(xcb_connection_t* connection, const void* event)
{
    xcb_send_event(connection, 0, x11RootWindow(connection),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   static_cast<const char*>(event));
    xcb_flush(connection);
}
