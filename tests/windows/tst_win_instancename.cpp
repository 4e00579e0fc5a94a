// The single-instance pipe's name is the user's and the session's own.
#include "platform/windows/win_instancename.h"
#include "wintest.h"

#include <windows.h>

#include <algorithm>
#include <sddl.h>
#include <string>

namespace {

// The current user's SID found through the account name: another road than the
// code under test, which asks the process token.
std::wstring sidOfAccount()
{
    wchar_t user[256];
    DWORD userSize = 256;
    if (!GetUserNameW(user, &userSize))
        return std::wstring();
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof sid;
    wchar_t domain[256];
    DWORD domainSize = 256;
    SID_NAME_USE use;
    if (!LookupAccountNameW(nullptr, user, sid, &sidSize, domain, &domainSize, &use))
        return std::wstring();
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text))
        return std::wstring();
    std::wstring result = text;
    LocalFree(text);
    return result;
}

} // namespace

int main()
{
    const std::wstring base = L"RespiteKeeperSingleInstance";
    const std::wstring name = winInstanceName(base);
    const std::wstring sid = sidOfAccount();
    CHECK("the user's SID is known", !sid.empty());
    CHECK("the name is the base, the user's SID and the session id", name.rfind(base + L"-" + sid + L"-", 0) == 0);
    const std::wstring session = name.substr(std::min(name.size(), base.size() + sid.size() + 2));
    CHECK("the session id is a number",
          !session.empty() && session.find_first_not_of(L"0123456789") == std::wstring::npos);
    CHECK("it fits a pipe name", name.size() < 200);
    return wintest::finish("win_instancename");
}
