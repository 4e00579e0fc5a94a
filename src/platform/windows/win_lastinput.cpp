#include "win_lastinput.h"

#include "platform/TickDifference.h"

#include <windows.h>

bool winMillisecondsSinceLastInput(unsigned long* milliseconds)
{
    LASTINPUTINFO info;
    info.cbSize = sizeof(LASTINPUTINFO);
    info.dwTime = 0;
    if (!GetLastInputInfo(&info))
        return false;
    *milliseconds = tickDifference(GetTickCount(), info.dwTime);
    return true;
}
