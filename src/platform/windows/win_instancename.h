#pragma once

#include <string>

// Plain Win32 naming of the single-instance pipe; no Qt inside.

// Pipe names are shared by the whole machine, so the name carries the user's SID
// and the session id: "<base>-<SID>-<session>", for example
// "RespiteKeeperSingleInstance-S-1-5-21-...-1001-1". Without a token the base alone.
std::wstring winInstanceName(const std::wstring& base);
