#include "platform/FullScreenCover.h"

#include <QRect>
#include <QString>
#include <QWidget>

#include <windows.h>

// A window on Windows covers whatever rectangle it is given, across monitors, and
// nothing refits it; but with monitors at different scales the toolkit's scaled
// rectangle is not the area, so the window is placed in the screen's own pixels.

Qt::WindowFlags coverWindowFlags(const QRect&)
{
    return {};
}

void setNativeBackground(QWidget*, const QColor&) {}

bool coverArea(const QWidget* window, const QRect& area)
{
    const HWND handle = window ? reinterpret_cast<HWND>(window->internalWinId()) : nullptr;
    RECT rect;
    if (!handle || !GetWindowRect(handle, &rect) ||
        QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1)) == area)
        return true;
    SetWindowPos(handle, HWND_TOPMOST, area.x(), area.y(), area.width(), area.height(), SWP_NOACTIVATE);
    return false;
}

QString coverDescription()
{
    return QStringLiteral("one top-most window over the virtual screen, placed in native pixels");
}

bool oneWindowCoversMonitors()
{
    return true;
}
