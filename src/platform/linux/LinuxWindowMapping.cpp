#include "X11Connection.h"
#include "platform/WindowMapping.h"

#include <QWidget>

#include <cstdlib>
#include <xcb/xcb.h>

bool isWindowMappedOnDisplay(const QWidget* window)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection || !window || !window->internalWinId())
        return false;
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, xcb_window_t(window->internalWinId())), nullptr);
    const bool mapped = attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED;
    free(attributes);
    return mapped;
}

void withdrawWindow(const QWidget* window)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection || !window || !window->internalWinId())
        return;
    const xcb_window_t id = xcb_window_t(window->internalWinId());
    xcb_unmap_window(connection, id);
    // The synthetic UnmapNotify to the root tells the window manager that the
    // window is withdrawn, so that it does not map it again.
    xcb_unmap_notify_event_t event = {};
    event.response_type = XCB_UNMAP_NOTIFY;
    event.event = x11RootWindow(connection);
    event.window = id;
    event.from_configure = 0;
    sendToWindowManager(connection, &event);
}

bool programPlacesWindows()
{
    return !onWayland();
}
