// Another program of the user's session, for the Windows program's run under Wine:
// a window titled "rk-key-recorder" that appends every character typed into it to
// the file named on its command line, so that the run can tell which keys reached it.
#include <windows.h>

#include <cstdio>

static FILE* s_record = nullptr;

static LRESULT CALLBACK record(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_CHAR)
        return DefWindowProcW(window, message, wParam, lParam);
    std::fputc(int(wParam), s_record);
    std::fflush(s_record);
    return 0;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR file, int)
{
    s_record = _wfopen(file, L"ab");
    WNDCLASSW recorder = {0, record, 0, 0, instance, nullptr, nullptr, nullptr, nullptr, L"RkKeyRecorder"};
    RegisterClassW(&recorder);
    CreateWindowExW(0, L"RkKeyRecorder", L"rk-key-recorder", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                    nullptr, nullptr, instance, nullptr);
    for (MSG message; GetMessageW(&message, nullptr, 0, 0) > 0; DispatchMessageW(&message))
        TranslateMessage(&message);
    return 0;
}
