#pragma once

// Plain Win32 notices of a locked session and of sleep; no Qt inside.

#include <windows.h>

#include <functional>

struct WinAwayNotice
{
    enum Kind { None, Locked, Asleep };
    Kind kind;
    bool on;
};

// What a window message tells: WM_WTSSESSION_CHANGE's lock and unlock,
// WM_POWERBROADCAST's suspend and resume; {None} for anything else.
WinAwayNotice winAwayNotice(UINT message, WPARAM wParam);

// A hidden top-level window of its own, never shown, that hands the notices it
// receives to `notify`. Windows sends WM_POWERBROADCAST to top-level windows only,
// not to message-only ones. Its messages come through the thread's message loop.
class WinNoticeWindow
{
public:
    using Notify = std::function<void(WinAwayNotice)>;
    explicit WinNoticeWindow(Notify notify);
    ~WinNoticeWindow();
    WinNoticeWindow(const WinNoticeWindow&) = delete;
    WinNoticeWindow& operator=(const WinNoticeWindow&) = delete;

    HWND handle() const { return m_window; }
    // Asks for this session's lock and unlock notices, until the window goes.
    bool watchSession();

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    Notify m_notify;
    HWND m_window = nullptr;
    bool m_watchingSession = false;
};

// Whether this session is locked now: 1 locked, 0 not, -1 the system does not tell.
int winSessionLocked();
// The same from WTSQuerySessionInformation's WTSSessionInfoEx answer of `bytes` bytes.
int winSessionLockedIn(const void* sessionInfoEx, DWORD bytes);
