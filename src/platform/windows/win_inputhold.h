#pragma once

#include <windows.h>

// Plain Win32 input hold for the break screen; no Qt inside. One low-level keyboard
// hook per process swallows every key going down while a window other than the
// break window is in the foreground (and Alt+F4 whatever is in front), and the
// cursor is clipped to the break window.

// Confines the cursor to the window's rectangle and installs the keyboard hook if
// none is installed; false when the hook cannot be installed.
bool winHoldInput(HWND window);
// Takes the hold again while it is on: Windows drops the cursor clip on
// Ctrl+Alt+Del or a display change, and silently removes a low-level hook whose
// thread was too slow to answer. Clips to the window's rectangle now and puts a
// fresh hook in place of the old one; false when no hook could be installed.
bool winRenewInputHold();
// Frees the cursor, removes the hook and forgets the window.
void winReleaseInput();
// Whether the hook is installed.
bool winInputHeld();
// The installed hook, or null.
HHOOK winKeyboardHook();
// The hook procedure: while the hold is on, swallows (returns 1) every key going
// down while a window other than the break window is in the foreground, and Alt+F4
// always, which would close the break screen and leave the hold behind. A key
// going up always passes, so that no key stays down after the break.
LRESULT CALLBACK winKeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam);
