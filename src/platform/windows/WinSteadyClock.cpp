#include "platform/SteadyClock.h"

#include <windows.h>

// The tick count goes on through sleep and hibernation.
qint64 steadyMilliseconds()
{
    return qint64(GetTickCount64());
}
