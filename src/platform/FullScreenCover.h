#pragma once

#include <QtCore/qnamespace.h>

class QColor;
class QString;
class QRect;
class QWidget;

// One top-level window that covers monitors, as the display server sees it. Areas
// are in the display's own pixels, not in the toolkit's scaled units: the two
// differ as soon as the toolkit scales.

// Whether one window can cover several monitors. Where it cannot (a Wayland
// compositor places a full-screen window on one output), each monitor needs a
// window of its own.
bool oneWindowCoversMonitors();

// Flags the window needs beside its usual ones to cover the area. A window
// manager fits a full-screen window to one monitor; where it cannot be told to
// stretch it over several, the window must be one that it does not manage.
Qt::WindowFlags coverWindowFlags(const QRect& area);

// Makes the colour the native window's own background, so that the display fills
// every part of the window with it at once, before the program's first paint and
// after every resize.
void setNativeBackground(QWidget* window, const QColor& colour);

// Whether the shown window covers exactly the area now; where it does not, asks
// the window manager (or the display) once more to make it so. True where the
// platform cannot tell.
bool coverArea(const QWidget* window, const QRect& area);

// How the break screen covers the monitors in this session, for a diagnosis.
QString coverDescription();
