#include "win_shutdown.h"

#include <windows.h>

bool winEnableShutdownPrivilege()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    LUID luid;
    if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &luid)) {
        CloseHandle(token);
        return false;
    }
    TOKEN_PRIVILEGES privileges;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = luid;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    const BOOL adjusted = AdjustTokenPrivileges(token, FALSE, &privileges, sizeof(TOKEN_PRIVILEGES), nullptr, nullptr);
    CloseHandle(token);
    return adjusted != 0;
}

bool winExitWindows(unsigned long* error)
{
    if (ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, 0))
        return true;
    *error = GetLastError();
    return false;
}
