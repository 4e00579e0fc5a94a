#include "platform/Console.h"

#include <cstdio>
#include <windows.h>

namespace {

// Whether the stream already leads somewhere: a file or a pipe it was started with.
bool redirected(DWORD stream)
{
    const HANDLE handle = GetStdHandle(stream);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

} // namespace

// A GUI-subsystem program starts without a console: started from a console window,
// it takes that one for its output; started from Explorer, there is none, and what
// it prints goes nowhere.
void useParentConsole()
{
    const bool out = redirected(STD_OUTPUT_HANDLE);
    const bool err = redirected(STD_ERROR_HANDLE);
    if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!out)
        std::freopen("CONOUT$", "w", stdout);
    if (!err)
        std::freopen("CONOUT$", "w", stderr);
}
