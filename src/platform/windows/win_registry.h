#pragma once

// Plain Win32 access to the per-user Run key; no Qt inside.

struct RunValueResult
{
    enum Step { None, Open, Set, Delete };
    Step failedStep; // None when everything succeeded
    long error;      // the Win32 error code of the failed step
};

// Sets the value `name` of HKCU\Software\Microsoft\Windows\CurrentVersion\Run to
// `command` (a REG_SZ), or deletes it when command is null; a value that does not
// exist counts as deleted.
RunValueResult winWriteRunValue(const wchar_t* name, const wchar_t* command);
