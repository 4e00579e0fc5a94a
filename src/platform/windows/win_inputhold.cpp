#include "win_inputhold.h"

namespace {

HWND s_overlayWindow = nullptr;
HHOOK s_keyboardHook = nullptr;

} // namespace

LRESULT CALLBACK winKeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode >= 0 && s_overlayWindow != nullptr && GetForegroundWindow() != s_overlayWindow)
        return 1;
    return CallNextHookEx(s_keyboardHook, nCode, wParam, lParam);
}

void winHoldInput(HWND window)
{
    s_overlayWindow = window;
    RECT rect;
    GetWindowRect(window, &rect);
    ClipCursor(&rect);
    if (s_keyboardHook == nullptr)
        s_keyboardHook = SetWindowsHookExW(WH_KEYBOARD_LL, winKeyboardHookProc, nullptr, 0);
}

void winReleaseInput()
{
    ClipCursor(nullptr);
    if (s_keyboardHook != nullptr) {
        UnhookWindowsHookEx(s_keyboardHook);
        s_keyboardHook = nullptr;
    }
    s_overlayWindow = nullptr;
}

bool winInputHeld()
{
    return s_keyboardHook != nullptr;
}

HHOOK winKeyboardHook()
{
    return s_keyboardHook;
}
