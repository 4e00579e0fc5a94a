#pragma once

// Plain Win32 reading of the privacy store in which Windows records which programs
// use the microphone and the camera; no Qt inside.

#include <windows.h>

// The store's key under HKEY_CURRENT_USER; a device's key is this plus its name
// ("microphone", "webcam").
extern const wchar_t* const winConsentStorePath;

// Whether a program uses the device now. Under `device` (a device's key of the
// store, or a key laid out like it) each packaged app's subkey, and each subkey of
// NonPackaged, holds the QWORDs LastUsedTimeStart and LastUsedTimeStop: a program
// uses the device while Start is set and Stop is 0.
bool winDeviceInUse(HKEY device);

// A key watched for changes of values and subkeys anywhere below it. Each arm()
// asks for one notice: the event (auto-reset) is signalled at the next change.
class WinKeyWatch
{
public:
    WinKeyWatch(HKEY root, const wchar_t* path);
    ~WinKeyWatch();
    WinKeyWatch(const WinKeyWatch&) = delete;
    WinKeyWatch& operator=(const WinKeyWatch&) = delete;

    bool isOpen() const { return m_key && m_event; }
    HKEY key() const { return m_key; }
    HANDLE event() const { return m_event; }
    bool arm();

private:
    HKEY m_key = nullptr;
    HANDLE m_event = nullptr;
};
