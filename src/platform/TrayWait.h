#pragma once

// How long a starting program waits for the desktop's system tray before it gives
// up: at log-on the panel that holds the tray may come up after the program.
int systemTrayWaitMs();
