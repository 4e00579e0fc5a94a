#pragma once

#include "platform/LastInputSource.h"

// The idle notices of the Wayland compositor Qt runs on: ext-idle-notify-v1 where it
// is offered, else KDE's org_kde_kwin_idle; null when neither is. They live in a
// module of their own, loaded only in a Wayland session, so that the program does
// not carry Qt's Wayland client library on X11.
#define RK_WAYLAND_IDLE_ENTRY "respitekeeperWaylandIdleSource"
extern "C" {
using WaylandIdleSourceEntry = LastInputSource* (*)(qint64 awayAfterMs);
}
