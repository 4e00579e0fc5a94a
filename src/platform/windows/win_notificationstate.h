#pragma once

// Plain Win32 reading of the shell's notification state; no Qt inside.

#include <windows.h>

#include <shellapi.h>

enum class WinNotificationQuiet { None, FullScreen, QuietTime };

// What the state (a QUERY_USER_NOTIFICATION_STATE) means for a break: a
// full-screen program, a Direct3D game or presentation mode in front is full
// screen; the shell's quiet time is quiet time; anything else, None.
WinNotificationQuiet winNotificationQuiet(int state);

using WinNotificationStateQuery = HRESULT(WINAPI*)(QUERY_USER_NOTIFICATION_STATE*);

// Asks the shell now (through `query`, SHQueryUserNotificationState in the program);
// None when it cannot tell.
WinNotificationQuiet winAskNotificationQuiet(WinNotificationStateQuery query);
