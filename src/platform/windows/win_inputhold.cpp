#include "win_inputhold.h"

namespace {

HWND s_overlayWindow = nullptr;
HHOOK s_keyboardHook = nullptr;

HHOOK installHook()
{
    return SetWindowsHookExW(WH_KEYBOARD_LL, winKeyboardHookProc, GetModuleHandleW(nullptr), 0);
}

void clipToWindow()
{
    RECT rect;
    if (s_overlayWindow != nullptr && GetWindowRect(s_overlayWindow, &rect))
        ClipCursor(&rect);
}

} // namespace

LRESULT CALLBACK winKeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode >= 0 && s_overlayWindow != nullptr) {
        const auto* stroke = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const bool down = (stroke->flags & LLKHF_UP) == 0;
        // Alt may be down without the flag saying so (Wine does not set it).
        const bool altDown = (stroke->flags & LLKHF_ALTDOWN) != 0 || (GetAsyncKeyState(VK_MENU) & 0x8000) != 0;
        const bool altF4 = stroke->vkCode == VK_F4 && altDown;
        if (down && (altF4 || GetForegroundWindow() != s_overlayWindow))
            return 1;
    }
    return CallNextHookEx(s_keyboardHook, nCode, wParam, lParam);
}

bool winHoldInput(HWND window)
{
    s_overlayWindow = window;
    clipToWindow();
    if (s_keyboardHook == nullptr)
        s_keyboardHook = installHook();
    return s_keyboardHook != nullptr;
}

bool winRenewInputHold()
{
    if (s_overlayWindow == nullptr)
        return false;
    clipToWindow();
    // The new hook goes in before the old one goes, so that no key slips through.
    if (HHOOK fresh = installHook()) {
        if (s_keyboardHook != nullptr)
            UnhookWindowsHookEx(s_keyboardHook);
        s_keyboardHook = fresh;
    }
    return s_keyboardHook != nullptr;
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
