#include <gtest/gtest.h>

#include <aclapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "common/PathUtil.h"
#include "framework/File.h"

namespace {

using fw::CFile;

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(PathUtil, SettingFolderLiesUnderCommonAppData)
{
    std::string common;
    ASSERT_TRUE(CPathUtil::GetSpecialFolderPath(CSIDL_COMMON_APPDATA, common));
    const std::string folder = CPathUtil::GetSettingBaseFolder();
    EXPECT_EQ(0u, folder.find(common));
    EXPECT_TRUE(EndsWith(folder, "\\Quorvanter\\Kelvrane for Morlindex")) << folder;
    EXPECT_EQ(std::string::npos, folder.find("\\\\"));

    std::string untouched = "kept";
    EXPECT_FALSE(CPathUtil::GetSpecialFolderPath(0x7FFF, untouched));
    EXPECT_EQ("kept", untouched);
}

TEST(PathUtil, ModulePaths)
{
    char expected[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, expected, sizeof expected);
    const std::string path = CPathUtil::GetModulePath(nullptr);
    EXPECT_EQ(expected, path);
    const std::string folder = CPathUtil::GetModuleFolder(nullptr);
    EXPECT_EQ(path.substr(0, path.rfind('\\')), folder);
    EXPECT_EQ(folder + "\\Marrowpane.EXE", CPathUtil::GetLockScreenPath());
    EXPECT_TRUE(EndsWith(CPathUtil::GetModulePath(GetModuleHandleA("kernel32.dll")), ".dll"));
}

// The well-known SID of a trustee of the settings folder's list.
struct ExpectedAce {
    SID_IDENTIFIER_AUTHORITY authority;
    BYTE count;
    DWORD sub0, sub1;
    DWORD mask;
    BYTE flags;
};

bool SidIs(PSID sid, const ExpectedAce& e)
{
    PSID expected = nullptr;
    SID_IDENTIFIER_AUTHORITY authority = e.authority;
    if (!AllocateAndInitializeSid(&authority, e.count, e.sub0, e.sub1, 0, 0, 0, 0, 0, 0, &expected))
        return false;
    const bool same = EqualSid(sid, expected) != FALSE;
    FreeSid(expected);
    return same;
}

TEST(PathUtil, SettingFolderAccessList)
{
    const fw::unique_hlocal list = CPathUtil::BuildAccessList(CPathUtil::SettingFolderAccess());
    ASSERT_TRUE(list);
    const PACL acl = static_cast<PACL>(list.get());
    const ExpectedAce expected[] = {
        {SECURITY_CREATOR_SID_AUTHORITY, 1, SECURITY_CREATOR_OWNER_RID, 0, 0x1F01FF, 0xF},
        {SECURITY_NT_AUTHORITY, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0x1F01FF, 3},
        {SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0x1F01FF, 3},
        {SECURITY_NT_AUTHORITY, 1, SECURITY_INTERACTIVE_RID, 0, 0x1301FF, 3},
    };
    ASSERT_EQ(4u, acl->AceCount);
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        void* ace = nullptr;
        ASSERT_TRUE(GetAce(acl, i, &ace));
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, allowed->Header.AceType);
        EXPECT_EQ(expected[i].flags, allowed->Header.AceFlags) << i;
        EXPECT_EQ(expected[i].mask, allowed->Mask) << i;
        EXPECT_TRUE(SidIs(&allowed->SidStart, expected[i])) << i;
    }
}

TEST(PathUtil, SecureFolderChain)
{
    CTempFolder temp("securefolder");
    const std::string maker = temp.File("Quorvanter");
    const std::string product = maker + "\\Kelvrane for Morlindex";
    EXPECT_TRUE(CPathUtil::CreateSecureFolder(product));
    EXPECT_TRUE(CFile::Exists(product));
    EXPECT_TRUE(CPathUtil::CreateSecureFolder(product));  // both present: nothing to do
    EXPECT_TRUE(CPathUtil::CreateFolderChain(product + "\\", nullptr));
}

TEST(PathUtil, DeleteFileInFolderThrowsWhenTheFileCannotGo)
{
    CTempFolder temp("deleteinfolder");
    WriteWholeFile(temp.File("a.ini"), "x");
    CPathUtil::DeleteFileInFolder(temp.Path() + "\\", "a.ini");
    EXPECT_FALSE(CFile::Exists(temp.File("a.ini")));
    try {
        CPathUtil::DeleteFileInFolder(temp.Path(), "a.ini");
        ADD_FAILURE() << "no exception";
    } catch (const fw::CFileException& e) {
        EXPECT_EQ(fw::CFileException::fileNotFound, e.m_cause);
    }
}

// Without its access list the folder is never made: a NULL DACL would open it to everyone.
TEST(PathUtil, NoFolderWhenTheAccessListCannotBeBuilt)
{
    CTempFolder temp("noacl");
    const std::string product = temp.File("Quorvanter") + "\\Kelvrane for Morlindex";
    const std::vector<SFolderAccess> unknown = {
        {"No Such Trustee " + std::to_string(GetCurrentProcessId()), 0x1F01FF, 3}};
    EXPECT_FALSE(CPathUtil::BuildAccessList(unknown));
    EXPECT_FALSE(CPathUtil::CreateFolderWithAccess(product, unknown));
    EXPECT_FALSE(CFile::Exists(temp.File("Quorvanter")));
}

// A module loaded from a path longer than the first 512-byte buffer comes back
// whole. The set-up uses the wide calls: the ANSI ones stop at MAX_PATH.
TEST(PathUtil, LongModulePathIsReturnedWhole)
{
    CTempFolder temp("longmodule");
    const std::wstring segment(60, L'd');
    std::vector<std::wstring> created;  // removed here: the ANSI clean-up cannot reach them
    const fw::scope_exit removeCreated([&] {
        for (auto it = created.rbegin(); it != created.rend(); ++it) {
            DeleteFileW((*it + L"\\module.exe").c_str());
            RemoveDirectoryW(it->c_str());
        }
    });
    std::wstring folder = L"\\\\?\\" + std::wstring(temp.Path().begin(), temp.Path().end());
    while (folder.size() < 700) {
        folder += L"\\" + segment;
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << GetLastError();
        created.push_back(folder);
    }
    const std::wstring copy = folder + L"\\module.exe";
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    ASSERT_TRUE(CopyFileW(std::wstring(self, self + strlen(self)).c_str(), copy.c_str(), FALSE)) << GetLastError();
    const HMODULE module = LoadLibraryW(copy.c_str());
    ASSERT_NE(nullptr, module) << GetLastError();
    const std::string path = CPathUtil::GetModulePath(module);
    const std::string moduleFolder = CPathUtil::GetModuleFolder(module);
    FreeLibrary(module);
    EXPECT_GT(path.size(), 700u);
    EXPECT_TRUE(EndsWith(path, std::string(60, 'd') + "\\module.exe")) << path;
    EXPECT_EQ(path.substr(0, path.size() - 11), moduleFolder);
}

} // namespace
