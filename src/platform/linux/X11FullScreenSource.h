#pragma once

#include "platform/PresenceSource.h"

#include <memory>
#include <xcb/xcb.h>

// On while the window that has the focus (the window manager's _NET_ACTIVE_WINDOW),
// on any monitor, is full screen (_NET_WM_STATE_FULLSCREEN) and is not one of the
// program's own. Told by property events on the root window and on that window.
// Off while no window manager names the active window.
std::unique_ptr<PresenceSource> createX11FullScreenSource(xcb_connection_t* connection);
