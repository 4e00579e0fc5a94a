#pragma once

// Plain Win32 helpers for the idle time; no Qt inside.

// Milliseconds since the last keyboard or mouse input of the session, from
// GetLastInputInfo and GetTickCount. Returns false when the system cannot tell.
bool winMillisecondsSinceLastInput(unsigned long* milliseconds);
