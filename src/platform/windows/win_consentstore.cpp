#include "win_consentstore.h"

#include <cwchar>

const wchar_t* const winConsentStorePath =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\";

namespace {

unsigned long long qwordValue(HKEY key, const wchar_t* name)
{
    unsigned long long value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(key, nullptr, name, RRF_RT_REG_QWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return 0;
    return value;
}

bool programInUse(HKEY program)
{
    return qwordValue(program, L"LastUsedTimeStart") != 0 && qwordValue(program, L"LastUsedTimeStop") == 0;
}

// Whether `inUse` answers true for a subkey of `key`. Programs come and go while the
// keys are read: a subkey that has gone is passed over, a key that has gone ends it.
template <typename InUse> bool anySubkey(HKEY key, InUse inUse)
{
    wchar_t name[256]; // a key's name has at most 255 characters
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name / sizeof name[0];
        if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return false;
        HKEY subkey = nullptr;
        if (RegOpenKeyExW(key, name, 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, &subkey) != ERROR_SUCCESS)
            continue;
        const bool found = inUse(subkey, name);
        RegCloseKey(subkey);
        if (found)
            return true;
    }
}

} // namespace

bool winDeviceInUse(HKEY device)
{
    return anySubkey(device, [](HKEY app, const wchar_t* name) {
        if (_wcsicmp(name, L"NonPackaged") != 0)
            return programInUse(app);
        return anySubkey(app, [](HKEY program, const wchar_t*) { return programInUse(program); });
    });
}

WinKeyWatch::WinKeyWatch(HKEY root, const wchar_t* path)
{
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &m_key) != ERROR_SUCCESS) {
        m_key = nullptr;
        return;
    }
    m_event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

WinKeyWatch::~WinKeyWatch()
{
    // Closing the key ends its notice request.
    if (m_key)
        RegCloseKey(m_key);
    if (m_event)
        CloseHandle(m_event);
}

bool WinKeyWatch::arm()
{
    return isOpen() && RegNotifyChangeKeyValue(m_key, TRUE, REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_NAME,
                                               m_event, TRUE) == ERROR_SUCCESS;
}
