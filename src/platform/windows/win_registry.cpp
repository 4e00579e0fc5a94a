#include "win_registry.h"

#include <cwchar>
#include <windows.h>

RunValueResult winWriteRunValue(const wchar_t* name, const wchar_t* command)
{
    HKEY key = nullptr;
    const LONG opened =
        RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_SET_VALUE, &key);
    if (opened != ERROR_SUCCESS)
        return {RunValueResult::Open, opened};

    RunValueResult result{RunValueResult::None, ERROR_SUCCESS};
    if (command) {
        const DWORD bytes = static_cast<DWORD>((std::wcslen(command) + 1) * sizeof(wchar_t));
        const LONG set = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(command), bytes);
        if (set != ERROR_SUCCESS)
            result = {RunValueResult::Set, set};
    } else {
        const LONG deleted = RegDeleteValueW(key, name);
        if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND)
            result = {RunValueResult::Delete, deleted};
    }
    RegCloseKey(key);
    return result;
}
