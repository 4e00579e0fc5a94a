// Another program of the user's session, for the Windows program's run under Wine:
// a window titled "rk-key-recorder" that appends every character it is typed to the
// file named on its command line, so that the run can tell which keys reached it.
#include <windows.h>

#include <cstdio>

namespace {

FILE* s_record = nullptr;

LRESULT CALLBACK recorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CHAR && s_record) {
        std::fputc(int(wParam), s_record);
        std::fflush(s_record);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR file, int)
{
    s_record = _wfopen(file, L"ab");
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = recorderProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"RkKeyRecorder";
    RegisterClassW(&windowClass);
    CreateWindowExW(0, L"RkKeyRecorder", L"rk-key-recorder", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                    nullptr, nullptr, instance, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
