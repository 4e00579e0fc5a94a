#pragma once

class QRect;
class QWidget;

// Asks the window manager to stretch a shown full-screen window over every monitor
// that the area covers. A window manager fits a full-screen window to one monitor
// unless told otherwise; where windows may simply be given any area, this does
// nothing.
void spanFullScreen(const QWidget* window, const QRect& area);
