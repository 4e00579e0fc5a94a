#include "platform/WindowMapping.h"

#include <QWidget>

#include <windows.h>

bool isWindowMappedOnDisplay(const QWidget* window)
{
    if (!window || !window->internalWinId())
        return false;
    return IsWindowVisible(reinterpret_cast<HWND>(window->internalWinId())) != FALSE;
}

void withdrawWindow(const QWidget* window)
{
    if (window && window->internalWinId())
        ShowWindow(reinterpret_cast<HWND>(window->internalWinId()), SW_HIDE);
}

bool programPlacesWindows()
{
    return true;
}
