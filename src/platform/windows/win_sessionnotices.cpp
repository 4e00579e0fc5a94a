#include "win_sessionnotices.h"

#include <wtsapi32.h>

namespace {

const wchar_t* const WindowClass = L"RespiteKeeperNotices";

ATOM registerWindowClass(WNDPROC procedure)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = WindowClass;
    return RegisterClassExW(&windowClass);
}

// The session's extended information (WTSINFOEXW of the Windows SDK, which the
// MinGW headers lack): only its beginning is read.
const int SessionInfoEx = 25; // WTSSessionInfoEx
const LONG SessionStateLock = 0, SessionStateUnlock = 1;
struct SessionInfoExLevel1
{
    DWORD level;
    // The union of levels holds LARGE_INTEGERs, so it starts at 8 bytes.
    alignas(8) ULONG sessionId;
    int sessionState;
    LONG sessionFlags;
};

} // namespace

WinAwayNotice winAwayNotice(UINT message, WPARAM wParam)
{
    if (message == WM_WTSSESSION_CHANGE && (wParam == WTS_SESSION_LOCK || wParam == WTS_SESSION_UNLOCK))
        return {WinAwayNotice::Locked, wParam == WTS_SESSION_LOCK};
    if (message == WM_POWERBROADCAST && wParam == PBT_APMSUSPEND)
        return {WinAwayNotice::Asleep, true};
    if (message == WM_POWERBROADCAST && (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND))
        return {WinAwayNotice::Asleep, false};
    return {WinAwayNotice::None, false};
}

WinNoticeWindow::WinNoticeWindow(Notify notify)
    : m_notify(std::move(notify))
{
    static const ATOM windowClass = registerWindowClass(&WinNoticeWindow::procedure);
    if (!windowClass)
        return;
    // Not WS_VISIBLE and never shown; a tool window stays off the taskbar all the same.
    m_window = CreateWindowExW(WS_EX_TOOLWINDOW, WindowClass, L"RespiteKeeper notices", WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, GetModuleHandleW(nullptr), this);
}

WinNoticeWindow::~WinNoticeWindow()
{
    if (m_watchingSession)
        WTSUnRegisterSessionNotification(m_window);
    if (m_window)
        DestroyWindow(m_window);
}

bool WinNoticeWindow::watchSession()
{
    if (!m_watchingSession && m_window)
        m_watchingSession = WTSRegisterSessionNotification(m_window, NOTIFY_FOR_THIS_SESSION);
    return m_watchingSession;
}

LRESULT CALLBACK WinNoticeWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    const WinAwayNotice notice = winAwayNotice(message, wParam);
    auto* self = reinterpret_cast<WinNoticeWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (notice.kind != WinAwayNotice::None && self && self->m_notify)
        self->m_notify(notice);
    if (message == WM_POWERBROADCAST)
        return TRUE;
    return DefWindowProcW(window, message, wParam, lParam);
}

int winSessionLockedIn(const void* sessionInfoEx, DWORD bytes)
{
    const auto* info = static_cast<const SessionInfoExLevel1*>(sessionInfoEx);
    if (bytes < sizeof *info || info->level != 1)
        return -1;
    // Windows 7 swaps the two flags; the program needs Windows 10 or later.
    if (info->sessionFlags == SessionStateLock)
        return 1;
    return info->sessionFlags == SessionStateUnlock ? 0 : -1;
}

int winSessionLocked()
{
    LPWSTR buffer = nullptr;
    DWORD bytes = 0;
    if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTS_INFO_CLASS(SessionInfoEx),
                                     &buffer, &bytes))
        return -1;
    const int locked = winSessionLockedIn(buffer, bytes);
    WTSFreeMemory(buffer);
    return locked;
}
