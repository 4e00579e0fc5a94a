#include "win_instancename.h"

#include <windows.h>

#include <sddl.h>
#include <vector>

namespace {

std::wstring currentUserSid()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return std::wstring();
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    std::wstring result;
    if (size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        wchar_t* text = nullptr;
        if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
            result = text;
            LocalFree(text);
        }
    }
    CloseHandle(token);
    return result;
}

} // namespace

std::wstring winInstanceName(const std::wstring& base)
{
    const std::wstring sid = currentUserSid();
    if (sid.empty())
        return base;
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return base + L'-' + sid + L'-' + std::to_wstring(session);
}
