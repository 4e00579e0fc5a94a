// The break screen's hold: one keyboard hook, the rule of the hook procedure, and
// the cursor clip. Needs a display for the windows and the foreground.
#include "platform/windows/win_inputhold.h"
#include "wintest.h"

#include <windows.h>

namespace {

HWND makeWindow(int x, int y, int width, int height)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"rk-test", WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOW);
    return window;
}

void bringToFront(HWND window)
{
    for (int i = 0; i < 50 && GetForegroundWindow() != window; ++i) {
        SetForegroundWindow(window);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        Sleep(20);
    }
}

bool sameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

LRESULT key(int nCode)
{
    KBDLLHOOKSTRUCT stroke = {};
    stroke.vkCode = 'A';
    return winKeyboardHookProc(nCode, WM_KEYDOWN, reinterpret_cast<LPARAM>(&stroke));
}

} // namespace

int main()
{
    HWND breakWindow = makeWindow(100, 80, 400, 300);
    HWND other = makeWindow(600, 80, 200, 200);

    bringToFront(other);
    CHECK("without a hold a key passes", key(HC_ACTION) == 0);

    winHoldInput(breakWindow);
    const HHOOK hook = winKeyboardHook();
    CHECK("holding installs the hook", hook != nullptr && winInputHeld());
    winHoldInput(breakWindow);
    CHECK("holding again keeps the one hook", winKeyboardHook() == hook);

    RECT clip, windowRect;
    GetClipCursor(&clip);
    GetWindowRect(breakWindow, &windowRect);
    CHECK("the cursor is clipped to the break window", sameRect(clip, windowRect));

    bringToFront(other);
    CHECK("another window is in front", GetForegroundWindow() == other);
    CHECK("a key is swallowed while another window is in front", key(HC_ACTION) == 1);
    CHECK("a call with nCode < 0 is passed on", key(-1) == 0);
    bringToFront(breakWindow);
    CHECK("a key passes while the break window is in front",
          GetForegroundWindow() == breakWindow && key(HC_ACTION) == 0);

    winReleaseInput();
    CHECK("releasing removes the hook", winKeyboardHook() == nullptr && !winInputHeld());
    bringToFront(other);
    CHECK("after release a key passes whatever is in front", key(HC_ACTION) == 0);
    GetClipCursor(&clip);
    const RECT screen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                         GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                         GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    CHECK("after release the cursor may go over the whole screen", sameRect(clip, screen));
    return wintest::finish("win_inputhold");
}
