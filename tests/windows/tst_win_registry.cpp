// The Run key value: written byte for byte, overwritten, deleted, and the failing
// step named. Read back with the registry functions, not with the code under test.
#include "platform/windows/win_registry.h"
#include "wintest.h"

#include <cstring>
#include <string>
#include <vector>
#include <windows.h>

namespace {

const wchar_t* const RunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

struct Stored
{
    bool found = false;
    DWORD type = 0;
    std::vector<BYTE> bytes;
};

Stored readValue(const wchar_t* name)
{
    Stored stored;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return stored;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &stored.type, nullptr, &size) == ERROR_SUCCESS) {
        stored.bytes.resize(size);
        stored.found = RegQueryValueExW(key, name, nullptr, &stored.type, stored.bytes.data(), &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return stored;
}

// The bytes a REG_SZ of the text must hold: UTF-16 with the terminating NUL.
bool holds(const Stored& stored, const std::wstring& text)
{
    const size_t size = (text.size() + 1) * sizeof(wchar_t);
    return stored.found && stored.type == REG_SZ && stored.bytes.size() == size &&
           std::memcmp(stored.bytes.data(), text.c_str(), size) == 0;
}

} // namespace

int main()
{
    HKEY created = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, RunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr);
    RegCloseKey(created);

    const std::wstring first = L"\"C:\\Program Files\\RespiteKeeper\\RespiteKeeper.exe\"";
    RunValueResult result = winWriteRunValue(L"RespiteKeeper", first.c_str());
    CHECK("writing succeeds", result.failedStep == RunValueResult::None);
    CHECK("the value is a REG_SZ of the quoted path with spaces and its NUL",
          holds(readValue(L"RespiteKeeper"), first));

    const std::wstring second = L"\"D:\\Tools\\RespiteKeeper.exe\"";
    winWriteRunValue(L"RespiteKeeper", second.c_str());
    CHECK("writing again replaces the value", holds(readValue(L"RespiteKeeper"), second));

    result = winWriteRunValue(L"RespiteKeeper", nullptr);
    CHECK("deleting succeeds", result.failedStep == RunValueResult::None);
    CHECK("and the value is gone", !readValue(L"RespiteKeeper").found);
    result = winWriteRunValue(L"RespiteKeeper", nullptr);
    CHECK("deleting a value that is not there is a silent success", result.failedStep == RunValueResult::None);

    RegDeleteKeyW(HKEY_CURRENT_USER, RunKey);
    result = winWriteRunValue(L"RespiteKeeper", first.c_str());
    CHECK("a key that cannot be opened names the open step with its code",
          result.failedStep == RunValueResult::Open && result.error == ERROR_FILE_NOT_FOUND);
    RegCreateKeyExW(HKEY_CURRENT_USER, RunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr);
    RegCloseKey(created);
    return wintest::finish("win_registry");
}
