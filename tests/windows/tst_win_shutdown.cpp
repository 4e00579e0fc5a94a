// The shutdown sequence with stand-ins for ExitWindowsEx and the fallback command:
// nothing here can shut anything down.
#include "platform/windows/win_shutdown.h"
#include "wintest.h"

#include <string>
#include <vector>

namespace {

std::vector<std::string> s_log;
UINT s_flags = 0;
DWORD s_reason = 99;
DWORD s_error = 0;
int s_fallbacks = 0;

BOOL WINAPI failingExit(UINT flags, DWORD reason)
{
    s_flags = flags;
    s_reason = reason;
    SetLastError(s_error);
    return FALSE;
}
BOOL WINAPI succeedingExit(UINT, DWORD)
{
    return TRUE;
}

std::vector<std::string> run(BOOL(WINAPI* exitWindows)(UINT, DWORD), DWORD error)
{
    s_log.clear();
    s_error = error;
    s_fallbacks = 0;
    winShutDown({exitWindows, [] { ++s_fallbacks; }}, [](const char* line) { s_log.push_back(line); });
    return s_log;
}

bool privilegeLine(const std::string& line)
{
    return line == "Shutdown privilege enabled: true" || line == "Shutdown privilege enabled: false";
}

} // namespace

int main()
{
    std::vector<std::string> log = run(&failingExit, ERROR_PRIVILEGE_NOT_HELD);
    CHECK("ExitWindowsEx is asked to shut down by force, reason 0", s_flags == 5 && s_reason == 0);
    CHECK("three lines are logged", log.size() == 3 && privilegeLine(log[0]));
    CHECK("error 1314 reads \"privilege not held\"",
          log.size() > 1 && log[1] == "ExitWindowsEx failed with error: 1314 ( privilege not held )");
    CHECK("the fallback is announced", log.size() > 2 && log[2] == "Falling back to shutdown.exe /s /f /t 0");
    CHECK("and started once", s_fallbacks == 1);

    log = run(&failingExit, ERROR_ACCESS_DENIED);
    CHECK("any other code reads \"unknown\"",
          log.size() > 1 && log[1] == "ExitWindowsEx failed with error: 5 ( unknown )");

    log = run(&succeedingExit, 0);
    CHECK("a shutdown that begins logs the privilege line only", log.size() == 1 && privilegeLine(log[0]));
    CHECK("and starts no fallback", s_fallbacks == 0);

    CHECK("the privilege steps run here and report success", winEnableShutdownPrivilege());
    return wintest::finish("win_shutdown");
}
