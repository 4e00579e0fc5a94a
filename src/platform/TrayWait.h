#pragma once

#include <QString>

// How long a starting program waits for the desktop's system tray before it gives
// up: at log-on the panel that holds the tray may come up after the program.
int systemTrayWaitMs();

// Runs the event loop until the session offers a system tray that Qt sees too, or
// waitMs has passed; true when there is one. Woken by the session's own notices of a
// tray that comes, never by asking again.
bool awaitSystemTray(int waitMs);

// The kind of system tray the session offers now, or an empty string while there is
// none. Asked before Qt's own check, which a desktop decides once per process.
QString systemTrayKind();

// Whether the session has a display a window could open on; asked before the
// application object, which aborts without one.
bool sessionHasDisplay();
