#pragma once

#include "platform/InputHold.h"
#include "platform/LastInputSource.h"
#include "platform/PresenceSource.h"

#include <QFunctionPointer>

class QWindow;

// What the program takes from the Wayland compositor it runs on lives in a module
// of its own, loaded only in a Wayland session, so that the program does not carry
// Qt's Wayland client library on X11. Each entry answers null where the compositor
// offers nothing for the need.
//
// The idle notices: ext-idle-notify-v1 where it is offered, else KDE's
// org_kde_kwin_idle.
#define RK_WAYLAND_IDLE_ENTRY "respitekeeperWaylandIdleSource"
// The compositor's shortcuts (window switching, workspaces, its launcher) sent to
// one window instead, while that window has the keyboard focus:
// keyboard-shortcuts-inhibit-unstable-v1.
#define RK_WAYLAND_SHORTCUTS_ENTRY "respitekeeperWaylandShortcutsInhibitor"
// On while the focused window is another program's, full screen: wlroots'
// zwlr_foreign_toplevel_manager_v1 where it is offered, else KDE's
// org_kde_plasma_window_management (which KWin offers only to programs whose
// desktop file asks for it).
#define RK_WAYLAND_FULLSCREEN_ENTRY "respitekeeperWaylandFullScreenSource"

class ShortcutsInhibitor
{
public:
    virtual ~ShortcutsInhibitor() = default;
    // Inhibits the shortcuts on the window's surface, once per surface the window
    // shows; null ends it.
    virtual void inhibit(QWindow* window) = 0;
    // Whether the compositor reports the inhibition in force.
    virtual bool isActive() const = 0;
};

extern "C" {
using WaylandIdleSourceEntry = LastInputSource* (*)(qint64 awayAfterMs);
using WaylandShortcutsInhibitorEntry = ShortcutsInhibitor* (*)();
using WaylandFullScreenSourceEntry = PresenceSource* (*)();
}

// The entry of that name in the module (from RESPITEKEEPER_MODULE_DIR, beside the
// program, or where it is installed); null when the module could not be loaded,
// which the log says once, with each place tried and the loader's answer.
QFunctionPointer waylandModuleEntry(const char* name);

// Whether the module is loaded (it is loaded at the first question).
bool waylandModuleLoaded();
