#pragma once

// Plain Win32 steps of the system shutdown; no Qt inside.

// Enables SeShutdownPrivilege in the process token; true when
// AdjustTokenPrivileges returned success.
bool winEnableShutdownPrivilege();
// ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, 0); true when the shutdown has begun,
// otherwise `error` holds GetLastError() read at once after the failed call.
bool winExitWindows(unsigned long* error);
