// The plain Win32 units (no Qt inside), run under Wine: the Run key value, the
// input hold, the last-input time, the shutdown sequence and the break sounds with
// stand-ins, the single-instance pipe's name, and the presence's privacy store scan, notification
// state and lock and sleep notices. Prints a line per check and "windows: N passed, N failed".
#include "platform/TickDifference.h"
#include "platform/windows/win_breaksound.h"
#include "platform/windows/win_consentstore.h"
#include "platform/windows/win_inputhold.h"
#include "platform/windows/win_instancename.h"
#include "platform/windows/win_lastinput.h"
#include "platform/windows/win_notificationstate.h"
#include "platform/windows/win_registry.h"
#include "platform/windows/win_sessionnotices.h"
#include "platform/windows/win_shutdown.h"

#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

int passed = 0, failed = 0;
void check(const char* what, bool ok)
{
    ok ? ++passed : ++failed;
    std::printf("%s: %s\n", ok ? "ok" : "FAIL", what);
}

const wchar_t* const RunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The Run value as the registry holds it: the text of a REG_SZ, or "none".
std::wstring runValue()
{
    wchar_t text[1024] = {};
    DWORD type = 0, size = sizeof text - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, RunKey, L"RespiteKeeper", RRF_RT_ANY | RRF_NOEXPAND, &type, text, &size))
        return L"none";
    return type == REG_SZ ? text : L"not a REG_SZ";
}

void testRunKey()
{
    const std::wstring first = L"\"C:\\Program Files\\RespiteKeeper\\RespiteKeeper.exe\"", second = L"\"D:\\RK.exe\"";
    const auto write = [](const wchar_t* command) { return winWriteRunValue(L"RespiteKeeper", command).failedStep; };
    check("the Run value is written as a REG_SZ of the quoted path with spaces, and replaced",
          write(first.c_str()) == RunValueResult::None && runValue() == first &&
              write(second.c_str()) == RunValueResult::None && runValue() == second);
    check("deleting succeeds, twice, and the value is gone",
          write(nullptr) == RunValueResult::None && write(nullptr) == RunValueResult::None && runValue() == L"none");
    RegDeleteKeyW(HKEY_CURRENT_USER, RunKey);
    const RunValueResult result = winWriteRunValue(L"RespiteKeeper", first.c_str());
    check("a key that cannot be opened names the open step with its code",
          result.failedStep == RunValueResult::Open && result.error == ERROR_FILE_NOT_FOUND);
    HKEY created = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, RunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr);
    RegCloseKey(created);
}

HWND makeWindow(int x, int width)
{
    return CreateWindowExW(0, L"STATIC", L"rk-test", WS_POPUP | WS_VISIBLE, x, 80, width, 300, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}
bool inFront(HWND window)
{
    // Through Wine the X server has its say: up to ten seconds on a busy machine.
    for (const ULONGLONG end = GetTickCount64() + 10000; GetForegroundWindow() != window && GetTickCount64() < end;) {
        SetForegroundWindow(window);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        Sleep(20);
    }
    return GetForegroundWindow() == window;
}
LRESULT key(int nCode = HC_ACTION, DWORD vkCode = 'A', DWORD flags = 0)
{
    KBDLLHOOKSTRUCT stroke = {};
    stroke.vkCode = vkCode;
    stroke.flags = flags;
    return winKeyboardHookProc(nCode, flags & LLKHF_UP ? WM_KEYUP : WM_KEYDOWN, reinterpret_cast<LPARAM>(&stroke));
}
bool clippedTo(RECT expected)
{
    RECT clip;
    GetClipCursor(&clip);
    return std::memcmp(&clip, &expected, sizeof clip) == 0;
}

void testInputHold()
{
    HWND breakWindow = makeWindow(100, 400), other = makeWindow(600, 200);
    check("without a hold a key passes", inFront(other) && key() == 0);
    winHoldInput(breakWindow);
    const HHOOK hook = winKeyboardHook();
    winHoldInput(breakWindow);
    check("holding installs one hook", hook != nullptr && winInputHeld() && winKeyboardHook() == hook);
    RECT windowRect;
    GetWindowRect(breakWindow, &windowRect);
    check("the cursor is clipped to the break window", clippedTo(windowRect));
    check("a key is swallowed while another window is in front, but not its going up",
          inFront(other) && key() == 1 && key(HC_ACTION, VK_CONTROL, LLKHF_UP) == 0);
    check("a call with nCode < 0 is passed on", key(-1) == 0);
    check("a key passes while the break window is in front, Alt+F4 not",
          inFront(breakWindow) && key() == 0 && key(HC_ACTION, VK_F4, LLKHF_ALTDOWN) == 1);
    UnhookWindowsHookEx(winKeyboardHook()); // as Windows does with a hook that answers too late
    ClipCursor(nullptr);                    // as Ctrl+Alt+Del does
    check("a renewal takes a new hook (one that can be removed) and the clip again",
          winRenewInputHold() && clippedTo(windowRect) && UnhookWindowsHookEx(winKeyboardHook()));
    winReleaseInput();
    check("releasing removes the hook", winKeyboardHook() == nullptr && !winInputHeld());
    check("after release a key passes whatever is in front", inFront(other) && key() == 0);
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    check("and the cursor may go over the whole screen",
          clippedTo({x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)}));
}

std::string s_log;
UINT s_flags = 0;
DWORD s_reason = 99, s_error = 0;
BOOL WINAPI fakeExitWindows(UINT flags, DWORD reason)
{
    s_flags = flags;
    s_reason = reason;
    SetLastError(s_error);
    return s_error == 0;
}
// The log of the whole sequence with stand-ins, after its privilege line (whose
// value depends on the account).
std::string shutDown(DWORD error)
{
    s_log.clear();
    s_error = error;
    winShutDown({&fakeExitWindows, [] { s_log += "[fallback started]"; }},
                [](const char* line) { (s_log += line) += '|'; });
    const size_t end = s_log.find('|');
    const std::string first = s_log.substr(0, end);
    return first == "Shutdown privilege enabled: true" || first == "Shutdown privilege enabled: false"
               ? s_log.substr(end + 1)
               : "no privilege line: " + s_log;
}

void testShutdown()
{
    check("a forced shutdown, reason 0; error 1314 is logged, then the fallback starts once",
          shutDown(ERROR_PRIVILEGE_NOT_HELD) ==
                  "ExitWindowsEx failed with error: 1314 ( privilege not held )|Falling back to "
                  "shutdown.exe /s /f /t 0|[fallback started]" &&
              s_flags == 5 && s_reason == 0);
    check("any other code reads \"unknown\"",
          shutDown(ERROR_ACCESS_DENIED).rfind("ExitWindowsEx failed with error: 5 ( unknown )|", 0) == 0);
    check("a shutdown that begins logs the privilege line only", shutDown(0).empty());
    check("the privilege steps run here and report success", winEnableShutdownPrivilege());
}

std::vector<std::wstring> s_sounds;
DWORD s_soundFlags = 0;
BOOL s_soundStarts = TRUE;
BOOL WINAPI fakePlaySound(LPCWSTR sound, HMODULE module, DWORD flags)
{
    s_sounds.push_back(module ? L"a module's resource" : sound);
    s_soundFlags = flags;
    return s_soundStarts;
}

void testBreakSound()
{
    const bool played = winPlayBreakSound(true, &fakePlaySound) && winPlayBreakSound(false, &fakePlaySound);
    check("one sound per event, by the scheme's alias, played asynchronously without a default beep",
          played && s_sounds == std::vector<std::wstring>{L"SystemNotification", L"SystemAsterisk"} &&
              s_soundFlags == (SND_ALIAS | SND_ASYNC | SND_NODEFAULT));
    s_soundStarts = FALSE;
    check("a sound that cannot start is said", !winPlayBreakSound(true, &fakePlaySound) && s_sounds.size() == 3);
    const DWORD start = GetTickCount();
    winPlayBreakSound(true, &PlaySoundW);
    check("the system's PlaySound returns at once", GetTickCount() - start < 1000);
}

// A device key laid out as the privacy store's, in a key of the test's own.
const wchar_t* const TestDevice = L"Software\\RespiteKeeperTest\\microphone";
void setUse(const wchar_t* program, unsigned long long start, unsigned long long stop)
{
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(TestDevice) + L"\\" + program).c_str(), 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExW(key, L"LastUsedTimeStart", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&start), sizeof start);
    RegSetValueExW(key, L"LastUsedTimeStop", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&stop), sizeof stop);
    RegCloseKey(key);
}
bool inUse()
{
    HKEY key = nullptr;
    const bool used = RegOpenKeyExW(HKEY_CURRENT_USER, TestDevice, 0, KEY_READ, &key) == 0 && winDeviceInUse(key);
    RegCloseKey(key);
    return used;
}
bool signalled(HANDLE event)
{
    return WaitForSingleObject(event, 5000) == WAIT_OBJECT_0;
}

void testConsentStore()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\RespiteKeeperTest");
    const wchar_t *app = L"Microsoft.WindowsCamera_8wekyb3d8bbwe", *program = L"NonPackaged\\C:#Tools#talk.exe";
    setUse(app, 100, 200);
    setUse(program, 0, 0);
    setUse(L"NonPackaged\\C:#Tools#old.exe", 100, 200);
    const bool unused = !inUse();
    setUse(program, 300, 0);
    const bool programUses = inUse();
    setUse(program, 300, 400);
    setUse(app, 500, 0);
    check("the store reads in use while a packaged app's or a NonPackaged program's Start is set and Stop is 0",
          unused && programUses && inUse());
    setUse(app, 500, 600);

    WinKeyWatch watch(HKEY_CURRENT_USER, TestDevice);
    const bool quietAtRest = watch.arm() && WaitForSingleObject(watch.event(), 0) == WAIT_TIMEOUT;
    setUse(program, 700, 0);
    const bool valueNoticed = signalled(watch.event());
    setUse(program, 700, 800);
    const bool oneShot = WaitForSingleObject(watch.event(), 300) == WAIT_TIMEOUT;
    watch.arm();
    setUse(L"NonPackaged\\C:#Tools#new.exe", 900, 0);
    check("a watch is signalled once per arm, by a value or a new key deep below, and not at rest",
          quietAtRest && valueNoticed && oneShot && signalled(watch.event()) && inUse());
    WinKeyWatch missing(HKEY_CURRENT_USER, L"Software\\RespiteKeeperTest\\nothing");
    check("a device key that is not there is not watched", !missing.isOpen() && !missing.arm());
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\RespiteKeeperTest");
}

QUERY_USER_NOTIFICATION_STATE s_state = QUNS_ACCEPTS_NOTIFICATIONS;
HRESULT WINAPI fakeState(QUERY_USER_NOTIFICATION_STATE* state)
{
    *state = s_state;
    return int(s_state) < 0 ? E_FAIL : S_OK;
}

void testNotificationState()
{
    using Q = WinNotificationQuiet;
    const Q expected[] = {Q::None, Q::None,      Q::FullScreen, Q::FullScreen, Q::FullScreen,
                          Q::None, Q::QuietTime, Q::None,       Q::None};
    bool mapped = true, asked = true;
    for (int state = 0; state <= 8; ++state) {
        mapped = mapped && winNotificationQuiet(state) == expected[state];
        s_state = QUERY_USER_NOTIFICATION_STATE(state);
        asked = asked && winAskNotificationQuiet(&fakeState) == expected[state];
    }
    check("busy, Direct3D full screen and presentation mode are full screen; quiet time is quiet; else none",
          mapped && asked);
    s_state = QUERY_USER_NOTIFICATION_STATE(-2);
    QUERY_USER_NOTIFICATION_STATE real = QUERY_USER_NOTIFICATION_STATE(0);
    check("a failed query is none; the shell's own query answers here",
          winAskNotificationQuiet(&fakeState) == Q::None && SUCCEEDED(SHQueryUserNotificationState(&real)) &&
              real >= QUNS_NOT_PRESENT);
}

bool sameNotice(WinAwayNotice notice, WinAwayNotice::Kind kind, bool on)
{
    return notice.kind == kind && (kind == WinAwayNotice::None || notice.on == on);
}

void testSessionNotices()
{
    using N = WinAwayNotice;
    check("lock, unlock, suspend and both resumes are told; other messages not",
          sameNotice(winAwayNotice(WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK), N::Locked, true) &&
              sameNotice(winAwayNotice(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK), N::Locked, false) &&
              sameNotice(winAwayNotice(WM_POWERBROADCAST, PBT_APMSUSPEND), N::Asleep, true) &&
              sameNotice(winAwayNotice(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC), N::Asleep, false) &&
              sameNotice(winAwayNotice(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND), N::Asleep, false) &&
              sameNotice(winAwayNotice(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE), N::None, false) &&
              sameNotice(winAwayNotice(WM_WTSSESSION_CHANGE, WTS_SESSION_LOGON), N::None, false) &&
              sameNotice(winAwayNotice(WM_TIMER, WTS_SESSION_LOCK), N::None, false));

    std::vector<WinAwayNotice> told;
    WinNoticeWindow window([&](WinAwayNotice notice) { told.push_back(notice); });
    const HWND handle = window.handle();
    bool listed = false;
    std::pair<HWND, bool*> search{handle, &listed};
    EnumWindows(
        [](HWND each, LPARAM searched) {
            auto* pair = reinterpret_cast<std::pair<HWND, bool*>*>(searched);
            *pair->second = *pair->second || each == pair->first;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    check("the notice window is a hidden top-level window, so broadcasts reach it",
          handle && listed && !IsWindowVisible(handle) && !GetParent(handle) && window.watchSession());
    const bool answered = SendMessageW(handle, WM_POWERBROADCAST, PBT_APMSUSPEND, 0) == TRUE;
    SendMessageW(handle, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
    SendMessageW(handle, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
    check("its messages reach the notices in order, and a power broadcast is answered",
          answered && told.size() == 2 && sameNotice(told[0], N::Asleep, true) && sameNotice(told[1], N::Locked, true));
    // WTSINFOEXW: Level, then the level's union (8-byte aligned): SessionId,
    // SessionState, SessionFlags (0 locked, 1 unlocked, -1 unknown).
    unsigned char info[256] = {1};
    const auto flags = [&](LONG value, DWORD bytes = sizeof info) {
        std::memcpy(info + 16, &value, sizeof value);
        return winSessionLockedIn(info, bytes);
    };
    const bool read = flags(0) == 1 && flags(1) == 0 && flags(-1) == -1 && flags(0, 12) == -1;
    info[0] = 2;
    check("the session's flags read locked, unlocked, unknown; a short or other answer unknown",
          read && flags(0) == -1 && winSessionLocked() != 1);
}

} // namespace

int main()
{
    testRunKey();
    testInputHold();
    testShutdown();
    testBreakSound();
    testConsentStore();
    testNotificationState();
    testSessionNotices();
    const std::wstring name = winInstanceName(L"RespiteKeeperSingleInstance");
    const size_t session = name.rfind(L'-') + 1;
    check("the pipe name is the base, the user's SID and the session id, and fits",
          name.rfind(L"RespiteKeeperSingleInstance-S-1-5-", 0) == 0 && session < name.size() &&
              name.find_first_not_of(L"0123456789", session) == std::wstring::npos && name.size() < 200);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = 1;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    unsigned long afterInput = 0xFFFFFFFFul, later = 0;
    const bool sent = SendInput(1, &input, sizeof input) == 1 && winMillisecondsSinceLastInput(&afterInput);
    Sleep(300);
    check("the idle time starts at an input and grows with the clock", sent && afterInput < 250 &&
                                                                           winMillisecondsSinceLastInput(&later) &&
                                                                           later >= afterInput + 250 && later < 2000);
    check("the tick difference is right across the 32-bit wrap and without",
          tickDifference(5u, 0xFFFFFFF0u) == 21u && tickDifference(1500u, 500u) == 1000u);
    std::printf("windows: %d passed, %d failed\n", passed, failed);
    return failed ? 1 : 0;
}
