#include "common/UserAccount.h"

#include <vector>

#include "common/OSVersion.h"
#include "framework/Handle.h"

namespace {

void FreeSidValue(PSID sid) { FreeSid(sid); }
using unique_sid = fw::unique_any<fw::null_is_empty<PSID, FreeSidValue>>;

unique_sid AdministratorsSid()
{
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    unique_sid sid;
    AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                             DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, sid.put());
    return sid;
}

// The token's TokenGroups record, or empty when it cannot be read.
std::vector<BYTE> ReadTokenGroups(HANDLE token)
{
    DWORD size = 0;
    GetTokenInformation(token, TokenGroups, nullptr, 0, &size);
    if (size < sizeof(TOKEN_GROUPS))
        return {};
    std::vector<BYTE> buffer(size);
    if (!GetTokenInformation(token, TokenGroups, buffer.data(), size, &size))
        return {};
    return buffer;
}

} // namespace

bool CUserAccount::IsAdministrator()
{
    if (COSVersion().PlatformId() == PLATFORM_ID_9X)
        return true;
    fw::unique_handle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
        return false;
    return TokenHasAdministrators(token.get());
}

bool CUserAccount::TokenHasAdministrators(HANDLE token)
{
    const std::vector<BYTE> groups = ReadTokenGroups(token);
    if (groups.empty())
        return false;
    const unique_sid administrators = AdministratorsSid();
    return administrators &&
           GroupsContain(*reinterpret_cast<const TOKEN_GROUPS*>(groups.data()), administrators.get());
}

bool CUserAccount::GroupsContain(const TOKEN_GROUPS& groups, PSID sid)
{
    for (DWORD i = 0; i < groups.GroupCount; ++i) {
        if (EqualSid(groups.Groups[i].Sid, sid))
            return true;
    }
    return false;
}
