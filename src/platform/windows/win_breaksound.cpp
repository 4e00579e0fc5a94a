#include "win_breaksound.h"

#include <mmsystem.h>

const wchar_t* winBreakSoundAlias(bool started)
{
    return started ? L"SystemNotification" : L"SystemAsterisk";
}

bool winPlayBreakSound(bool started, WinPlaySound play)
{
    return play(winBreakSoundAlias(started), nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT) != FALSE;
}
