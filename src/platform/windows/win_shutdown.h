#pragma once

#include <windows.h>

// Plain Win32 steps of the system shutdown; no Qt inside.

// The two calls that end the session, replaceable so that a test can run the whole
// sequence without shutting anything down.
struct WinShutdownCalls
{
    // ExitWindowsEx or a stand-in with its contract (sets the last error on failure).
    BOOL(WINAPI* exitWindowsEx)(UINT flags, DWORD reason);
    // Starts "shutdown /s /f /t 0" detached.
    void (*startFallback)();
};

// Enables SeShutdownPrivilege in the process token; true when
// AdjustTokenPrivileges returned success.
bool winEnableShutdownPrivilege();

// The whole shutdown: the privilege, then ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, 0),
// then, if that fails, the fallback command. Each debug log line goes to log() as
// the step happens.
void winShutDown(const WinShutdownCalls& calls, void (*log)(const char* line));
