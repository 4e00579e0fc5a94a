#pragma once

class QWidget;

// What the display server itself says about a top-level window. A window manager
// that acts late on a request can map a window again after the program hid it; the
// break screen uses this to notice that and take the window off the screen.

// Whether the window is mapped on the display now (false when it has no native
// window yet, or where the platform cannot tell).
bool isWindowMappedOnDisplay(const QWidget* window);
// Takes the window off the screen on the display server, bypassing the toolkit's
// own idea of whether it is shown.
void withdrawWindow(const QWidget* window);

// Whether the program places its own windows. A Wayland compositor places every
// window itself; a tiling one floats a window of fixed size instead of giving it a
// tile of its own.
bool programPlacesWindows();
