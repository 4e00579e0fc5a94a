#pragma once

#include <windows.h>

// Plain Win32 steps of the break sounds; no Qt inside.

// PlaySoundW or a stand-in with its contract.
using WinPlaySound = BOOL(WINAPI*)(LPCWSTR sound, HMODULE module, DWORD flags);

// The system sound's alias (a name of the user's sound scheme) for a break's start
// or its end.
const wchar_t* winBreakSoundAlias(bool started);

// Starts that sound and returns at once, with no default beep where the scheme has
// the sound off or lacks it. False when the sound could not be started.
bool winPlayBreakSound(bool started, WinPlaySound play);
