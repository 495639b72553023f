#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "common/UserAccount.h"
#include "framework/Handle.h"

namespace {

// A TOKEN_GROUPS record built from well-known SIDs, as a token would hold it.
class CGroups {
public:
    void Add(DWORD subAuthority0, DWORD subAuthority1, BYTE count, DWORD attributes)
    {
        SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
        PSID sid = nullptr;
        AllocateAndInitializeSid(&nt, count, subAuthority0, subAuthority1, 0, 0, 0, 0, 0, 0, &sid);
        m_sids.emplace_back(sid);
        m_attributes.push_back(attributes);
    }

    const TOKEN_GROUPS& Record()
    {
        m_buffer.assign(sizeof(TOKEN_GROUPS) + m_sids.size() * sizeof(SID_AND_ATTRIBUTES), 0);
        auto* groups = reinterpret_cast<TOKEN_GROUPS*>(m_buffer.data());
        groups->GroupCount = static_cast<DWORD>(m_sids.size());
        SID_AND_ATTRIBUTES* entries = groups->Groups;
        for (std::size_t i = 0; i < m_sids.size(); ++i)
            entries[i] = SID_AND_ATTRIBUTES{m_sids[i].get(), m_attributes[i]};
        return *groups;
    }

private:
    static void Free(PSID sid) { FreeSid(sid); }
    std::vector<fw::unique_any<fw::null_is_empty<PSID, Free>>> m_sids;
    std::vector<DWORD> m_attributes;
    std::vector<BYTE> m_buffer;
};

PSID Administrators(fw::unique_any<fw::null_is_empty<PSID, FreeSid>>& holder)
{
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0,
                             0, 0, 0, holder.put());
    return holder.get();
}

TEST(UserAccount, AdministratorsCountsInAnyState)
{
    fw::unique_any<fw::null_is_empty<PSID, FreeSid>> admins;
    const DWORD states[] = {SE_GROUP_ENABLED | SE_GROUP_MANDATORY, SE_GROUP_USE_FOR_DENY_ONLY, 0};
    for (const DWORD state : states) {
        CGroups groups;
        groups.Add(SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 2, SE_GROUP_ENABLED);
        groups.Add(SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 2, state);
        EXPECT_TRUE(CUserAccount::GroupsContain(groups.Record(), Administrators(admins))) << state;
    }
}

TEST(UserAccount, OtherGroupsOrNoneAreNotAdministrators)
{
    fw::unique_any<fw::null_is_empty<PSID, FreeSid>> admins;
    CGroups none;
    EXPECT_FALSE(CUserAccount::GroupsContain(none.Record(), Administrators(admins)));
    CGroups others;
    others.Add(SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 2, SE_GROUP_ENABLED);
    others.Add(SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_POWER_USERS, 2, SE_GROUP_ENABLED);
    others.Add(SECURITY_INTERACTIVE_RID, 0, 1, SE_GROUP_ENABLED);
    EXPECT_FALSE(CUserAccount::GroupsContain(others.Record(), Administrators(admins)));
}

TEST(UserAccount, UnreadableTokenIsNotAdministrator)
{
    EXPECT_FALSE(CUserAccount::TokenHasAdministrators(nullptr));
    const fw::unique_handle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    EXPECT_FALSE(CUserAccount::TokenHasAdministrators(event.get()));
    // A token opened without the right to query its groups.
    fw::unique_handle token;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_DEFAULT, token.put()));
    EXPECT_FALSE(CUserAccount::TokenHasAdministrators(token.get()));
}

TEST(UserAccount, WineUserIsAdministrator)
{
    EXPECT_TRUE(CUserAccount::IsAdministrator());
}

} // namespace
