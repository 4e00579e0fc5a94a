#include "win_shutdown.h"

#include <cstdio>

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

void winShutDown(const WinShutdownCalls& calls, void (*log)(const char* line))
{
    char line[128];
    std::snprintf(line, sizeof line, "Shutdown privilege enabled: %s", winEnableShutdownPrivilege() ? "true" : "false");
    log(line);
    if (calls.exitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, 0))
        return;
    const unsigned long error = GetLastError();
    std::snprintf(line, sizeof line, "ExitWindowsEx failed with error: %lu ( %s )", error,
                  error == ERROR_PRIVILEGE_NOT_HELD ? "privilege not held" : "unknown");
    log(line);
    log("Falling back to shutdown.exe /s /f /t 0");
    calls.startFallback();
}
