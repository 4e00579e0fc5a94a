#pragma once

#include <windows.h>

// Plain Win32 input hold for the break screen; no Qt inside. One low-level keyboard
// hook per process swallows every key while a window other than the break window
// is in the foreground, and the cursor is clipped to the break window.

// Confines the cursor to the window's rectangle and installs the keyboard hook if
// none is installed.
void winHoldInput(HWND window);
// Frees the cursor, removes the hook and forgets the window.
void winReleaseInput();
// Whether the hook is installed.
bool winInputHeld();
// The installed hook, or null.
HHOOK winKeyboardHook();
// The hook procedure: swallows every key (returns 1) while the hold is on and a
// window other than the break window is in the foreground; passes it on otherwise.
LRESULT CALLBACK winKeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam);
